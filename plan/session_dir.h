// The plan's temporary directory: "TEMP_CNC/NC_{GUID}" under the host's
// folder, for tool model copies and the post-processor's exchange files.
#pragma once

namespace zarvento {

class CSPID;

// Sweeps stale session directories, then makes this plan's own and locks it.
// A failure is reported once; the path stays set.
void CreateSessionDir(CSPID& spid);
// Deletes the plan's files and the directory; failures are silent.
void DeleteSessionDir(CSPID& spid);

}  // namespace zarvento
