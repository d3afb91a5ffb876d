// CPostProcessor: one installed post-processor, named after its description
// file, with what its description gives: cycle definitions, CNC codes,
// tables and header values.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nc/cycle_auto.h"
#include "post/description_statement.h"
#include "post/post_processor_table.h"

namespace zarvento {

class CPostProcessor {
public:
    static constexpr const char* kOpenError = "Ошибка открытия файла постпроцессора";
    // The first reading sees this many bytes of the file and no more.
    static constexpr std::size_t kDescriptionBytes = 50000;
    // A UTF-8 description is read again whole, up to this many bytes.
    static constexpr std::size_t kUtf8DescriptionBytes = 1 << 20;
    // A header value keeps at most this many characters.
    static constexpr std::size_t kMaxValueCharacters = 49;

    CPostProcessor() = default;
    CPostProcessor(std::string name, std::string path) : name_(std::move(name)), path_(std::move(path)) {}
    // Copies take deep copies of the definitions; the tables are shared, since
    // nothing changes them once read.
    CPostProcessor(const CPostProcessor& other);
    CPostProcessor& operator=(const CPostProcessor& other);
    ~CPostProcessor();

    const std::string& GetName() const { return name_; }
    const std::string& GetPath() const { return path_; }
    const std::string& GetFileExtension() const { return fileExtension_; }              // FILE_EXTENSION
    const std::string& GetSpindleSynchronCode() const { return spindleSynchronCode_; }  // CODE_SYNCHRON_NULLSPINDEL
    const std::string& GetToolFormat() const { return toolFormat_; }                    // FORMAT_T as written
    const std::vector<std::string>& GetCncCodes() const { return cncCodes_; }
    const std::vector<std::unique_ptr<CCycle_Auto>>& GetCycles() const { return cycles_; }
    const std::vector<std::shared_ptr<PostProcessorTable>>& GetTables() const { return tables_; }

    // Reads the description file into this post-processor and the
    // process-wide settings, templates and tables. False when the file cannot
    // be read (the message is shown); the post-processor then keeps what it had.
    bool ReadPostProcessorDescription();

    // The value of a header key: the rest of the line after its first
    // occurrence anywhere in the text, blanks after the key skipped, at most
    // 49 characters; empty when the key does not occur.
    static std::string GetKeyValue(std::string_view text, std::string_view key);

    // --- the definitions, as operations and panels ask for them ---
    // Groups are not counted: an operation takes a single cycle.
    int GetCountCyclesOfType(std::string_view type) const;
    // The n-th single-cycle definition (from 0) of that type, or null.
    CCycle_Auto* GetCycleOfType(std::string_view type, int n) const;
    // The first definition with that GCODE, or null.
    CCycle_Auto* FindCycleDefinition(std::string_view code) const;

    // --- the statement grammar fills these ---
    void AddCycleDefinition(std::unique_ptr<CCycle_Auto> cycle);
    void AddTable(std::shared_ptr<PostProcessorTable> table);

    // --- the statement grammar's scanning (description_statement.cpp) ---
    // True when the text at pos begins with the keyword, case-sensitive.
    static bool StartsWithKeyword(std::string_view text, std::size_t pos, std::string_view keyword);
    // The text [start, end) with its blanks trimmed, appended to the statement's arguments.
    static void AddArgument(DescriptionStatement& statement, std::string_view text, std::size_t start, std::size_t end);
    // Where the value of "name = value" begins in the argument (blanks, CR
    // and LF allowed around '='), or npos. Only the first occurrence of the
    // name is tried, also inside a longer word; a value beginning with a
    // second '=' is refused.
    static std::size_t FindAssignment(std::string_view argument, std::string_view name);

    // --- the operation's record "...PP": name, definition count, then each
    // definition's parameters ---
    bool Save(const std::string& recordName) const;
    // Restores the name and the parameters of the definitions held now; false
    // when the record is missing.
    bool Load(const std::string& recordName);

private:
    // The older layout: BEGIN_CYCLE / BEGIN_CYCLE_GROUP ... END_CYCLE blocks.
    void ReadCycleBlocks(std::string_view section);

    std::string name_;
    std::string path_;
    std::vector<std::unique_ptr<CCycle_Auto>> cycles_;
    std::vector<std::string> cncCodes_;
    std::vector<std::shared_ptr<PostProcessorTable>> tables_;
    std::string fileExtension_;
    std::string spindleSynchronCode_;
    std::string toolFormat_;
};

// Frees the process-wide frame templates; each description reading starts
// with it, and so does unloading.
void FreeFrameTemplates();

}  // namespace zarvento
