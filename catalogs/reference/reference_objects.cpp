// The reference's objects and their members.
#include "catalogs/reference/reference_objects.h"

#include <functional>
#include <map>

#include "platform/core/line_reader.h"
#include "platform/core/stored_path.h"
#include "platform/core/text_file.h"

namespace zarvento::reference {

namespace {

constexpr AutomationSource kSource{"{F1BE8D9E-9DD6-40B8-91F9-6F46AB96EBC6}", "Материалы и Сортаменты", ""};

// A failure the client is told about.
[[noreturn]] void Refuse(std::string description) { throw DispatchException(1, std::move(description)); }

// What the database answers; a record it cannot give whole is refused to
// the client with the database's reason, never passed off as no answer.
template <class Query>
auto Checked(Query query) {
    try {
        return query();
    } catch (const DamagedDatabase& e) {
        Refuse(e.what());
    }
}

std::string TextArgument(const std::vector<Variant>& args, std::size_t index) {
    if (index >= args.size()) throw HostError(DISP_E_BADPARAMCOUNT_, "an argument is missing");
    return args[index].ToBStr();
}

// Members by name; a member answers its result from the arguments.
class Object : public AutomationObject {
public:
    using Member = std::function<Variant(const std::vector<Variant>&)>;

    HRESULT Invoke(std::string_view member, const std::vector<Variant>& args, Variant& result) override {
        auto it = members_.find(member);
        if (it == members_.end()) return DISP_E_MEMBERNOTFOUND_;
        return InvokeBody(kSource, result, [&] { return it->second(args); });
    }

protected:
    void Add(std::string name, Member member) { members_.emplace(std::move(name), std::move(member)); }
    // A text property: its value without arguments, a new value with one.
    void AddText(std::string name, std::string& field, const std::function<void()>& changed = {}) {
        Add(std::move(name), [&field, changed](const std::vector<Variant>& args) {
            if (args.empty()) return Variant::BStr(field);
            field = TextArgument(args, 0);
            if (changed) changed();
            return Variant();
        });
    }

private:
    std::map<std::string, Member, std::less<>> members_;
};

struct LocalisationSettings {
    std::string folder, applicationName, language;
    bool changed = false;
};

class Localisation : public Object {
public:
    explicit Localisation(LocalisationSettings& settings) {
        const auto changed = [&settings] { settings.changed = true; };
        AddText("Folder", settings.folder, changed);
        AddText("ApplicationName", settings.applicationName, changed);
        AddText("Language", settings.language, changed);
    }
};

class Settings : public Object {
public:
    explicit Settings(LocalisationSettings& settings) : localisation_(std::make_shared<Localisation>(settings)) {
        Add("Localization", [this](const std::vector<Variant>&) { return Variant::Dispatch(localisation_); });
    }

private:
    std::shared_ptr<Localisation> localisation_;
};

// The configuration file holds "name=value" lines in UTF-8.
class Configuration : public Object {
public:
    Configuration() : settings_(std::make_shared<Settings>(localisation_)) {
        Add("Settings", [this](const std::vector<Variant>&) { return Variant::Dispatch(settings_); });
        Add("ConfigFile", [this](const std::vector<Variant>&) { return Variant::BStr(file_); });
        Add("SetConfigFile", [this](const std::vector<Variant>& args) {
            SetFile(TextArgument(args, 0));
            return Variant();
        });
        // Flag 0 writes the file; any other value only when the settings changed.
        Add("Store", [this](const std::vector<Variant>& args) {
            const bool always = args.empty() || args[0].ToI4() == 0;
            if (always || localisation_.changed) Store();
            return Variant();
        });
    }

private:
    void SetFile(std::string stored) {
        file_ = std::move(stored);
        localisation_ = LocalisationSettings();
        const FileReadResult read = ReadTextFile(StoredPathToPath(file_), TextEncoding::Utf8, 1 << 20);
        if (!read.ok) return;  // a new file: the settings start empty
        const std::map<std::string_view, std::string*> fields = {{"Folder", &localisation_.folder},
                                                                 {"ApplicationName", &localisation_.applicationName},
                                                                 {"Language", &localisation_.language}};
        for (const std::string& line : SplitLines(read.text)) {
            const std::size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            auto it = fields.find(std::string_view(line).substr(0, eq));
            if (it != fields.end()) *it->second = line.substr(eq + 1);
        }
    }

    void Store() {
        if (file_.empty()) Refuse("no configuration file is set");
        const std::filesystem::path path = StoredPathToPath(file_);
        std::error_code ec;
        if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
        const FileWriteResult written =
            WriteTextFile(path,
                          {"Folder=" + localisation_.folder, "ApplicationName=" + localisation_.applicationName,
                           "Language=" + localisation_.language},
                          TextEncoding::Utf8, LineEnd::Lf);
        if (!written.ok) Refuse("the configuration file " + path.string() + " cannot be written: " + written.error);
        localisation_.changed = false;
    }

    std::string file_;
    LocalisationSettings localisation_;
    std::shared_ptr<Settings> settings_;
};

class PropertyObject : public Object {
public:
    explicit PropertyObject(MaterialProperty property) : property_(std::move(property)) {
        Add("Value1", [this](const std::vector<Variant>&) { return Variant::BStr(property_.value1); });
        Add("Value2", [this](const std::vector<Variant>&) { return Variant::BStr(property_.value2); });
    }

private:
    MaterialProperty property_;
};

class Information : public Object {
public:
    Information(std::shared_ptr<const MaterialDatabase> database, std::string location, std::string designation)
        : database_(std::move(database)), location_(std::move(location)), designation_(std::move(designation)) {
        Add("Location", [this](const std::vector<Variant>&) { return Variant::BStr(location_); });
        Add("Designation", [this](const std::vector<Variant>&) { return Variant::BStr(designation_); });
        Add("Property", [this](const std::vector<Variant>& args) {
            std::optional<MaterialProperty> property =
                Checked([&] { return database_->Property(location_, TextArgument(args, 0)); });
            if (!property) return Variant::Dispatch(nullptr);
            return Variant::Dispatch(std::make_shared<PropertyObject>(std::move(*property)));
        });
    }

private:
    std::shared_ptr<const MaterialDatabase> database_;
    std::string location_, designation_;
};

class Reference : public Object {
public:
    explicit Reference(std::shared_ptr<const MaterialDatabase> database)
        : database_(std::move(database)), configuration_(std::make_shared<Configuration>()) {
        Add("Configuration", [this](const std::vector<Variant>&) { return Variant::Dispatch(configuration_); });
        Add("MaterialInfo", [this](const std::vector<Variant>& args) {
            std::string location = TextArgument(args, 0);
            std::optional<std::string> designation = Checked([&] { return database_->Designation(location); });
            if (!designation) return Variant::Dispatch(nullptr);
            return Variant::Dispatch(std::make_shared<Information>(database_, std::move(location), *designation));
        });
    }

private:
    std::shared_ptr<const MaterialDatabase> database_;
    std::shared_ptr<Configuration> configuration_;
};

}  // namespace

AutomationObjectPtr MakeMaterialsReference(std::shared_ptr<const MaterialDatabase> database) {
    return std::make_shared<Reference>(std::move(database));
}

}  // namespace zarvento::reference
