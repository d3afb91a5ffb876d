// Integrator: the client of the host maker's materials reference, a server in
// a process of its own that the client starts by its class id, configures
// (its configuration file and localisation settings) and asks for the
// information of one material. It also keeps the reference's localised
// message texts, read from the host maker's shared localisation folder.
#pragma once

#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/automation_object.h"

namespace zarvento {

// What the client raises: records of a caption, a message and the name of
// the client's operation that failed.
class IntegratorException : public std::exception {
public:
    struct Record {
        std::string caption;
        std::string message;
        std::string operation;
    };

    explicit IntegratorException(std::vector<Record> records);
    const char* what() const noexcept override { return what_.c_str(); }
    const std::vector<Record>& Records() const { return records_; }

private:
    std::vector<Record> records_;
    std::string what_;
};

class Integrator {
public:
    // The reference's class id.
    static constexpr const char* kServerClassId = "{23FA902B-7F5C-43D0-AB22-AEEE5CF7ED9B}";

    Integrator() = default;
    virtual ~Integrator();
    Integrator(const Integrator&) = delete;
    Integrator& operator=(const Integrator&) = delete;

    // Starts and configures the server. An empty configuration path is the
    // file named like the library in the user's application-data folder
    // ("%s\\%s.cfg"); its name without folder and extension names the
    // localisation file. Without a language (none or empty) the server's own
    // is taken. True when the server is held and nothing failed; otherwise
    // ErrorText says why.
    bool InitIntegrator(std::string_view configPath, std::optional<std::string_view> language);
    // Lets the server go.
    void DropServer();

    // Reads the localisation texts: the host maker's common file, then the
    // named file (its texts win), from the language's folder of the shared
    // localisation folder, falling back to "ru-RU", then to "en", "en-us",
    // "??" and "??-??" folders, and for the named file to the library's own
    // "Localization" folder.
    void LoadLocalization(std::string_view name, std::string_view language);
    // Adds the "item" texts of one localisation file; "\n" in a text becomes
    // a line break, a later item replaces an earlier one of the same id.
    void LoadXmlStrings(std::string_view file);
    // The localised text of the key, or the key itself.
    std::string GetText(std::string_view key) const;

    // Raises IntegratorException when no server is held.
    void CheckConnected(std::string_view operation) const;
    // The information object of the material at that location in the
    // reference, or null when it has none there.
    AutomationObjectPtr GetMaterialInfo(std::string_view location);

    const std::string& ErrorText() const { return errorText; }

    AutomationObjectPtr pServer;
    std::map<std::string, std::string, std::less<>> mTexts;
    std::string sLocName;    // the localisation file's name without ".xml"
    std::string sLocFolder;  // the localisation folder in use, ending with "\", or empty
    std::string sLanguage;   // the language folder in use ("ru-RU"), or empty

protected:
    // Called after a successful start.
    virtual void OnStarted() {}

private:
    void Configure(std::string_view configPath, const std::string& name, std::optional<std::string_view> language);

    std::string errorText;
};

// Replaces every occurrence of `pattern` left to right, and again while the
// replacement cannot make new ones; nothing when the two are equal or the
// pattern is empty.
void ReplaceAll(std::string& text, std::string_view pattern, std::string_view replacement);

// The library file whose name and folder the client uses: the one set, else
// the loaded file that holds this code.
std::filesystem::path IntegratorLibraryFile();
// Sets it (tests, a host that loads the library from elsewhere); nullopt goes
// back to the loaded file.
void SetIntegratorLibraryFile(std::optional<std::filesystem::path> file);

}  // namespace zarvento
