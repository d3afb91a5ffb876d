// Helpers of the materials suites: environment variables set for one test,
// files written in a scratch folder, and the materials reference registered
// either as its program (a process of its own) or in this process over a
// database made from a small table.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "catalog_test_support.h"
#include "catalogs/integrator.h"
#include "catalogs/reference/material_table.h"
#include "catalogs/reference/reference_objects.h"
#include "platform/core/text_file.h"
#include "platform/processes/component_registry.h"

namespace zarvento::test {

// Sets environment variables for one test and puts them back after it.
class EnvironmentScope {
public:
    EnvironmentScope() = default;
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;
    ~EnvironmentScope() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    void Set(const char* name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(WriteFileAtomic(path, text).ok) << path;
}

inline std::string Items(const std::string& items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<strings>\n" + items + "</strings>\n";
}

// The reference's class served by an object of this process.
class InProcessReference : public ClassFactory {
public:
    explicit InProcessReference(std::shared_ptr<const reference::MaterialDatabase> database)
        : database_(std::move(database)) {}
    HRESULT CreateInstance(std::shared_ptr<HostObject>& object) override {
        object = reference::MakeMaterialsReference(database_);
        return S_OK_;
    }

private:
    std::shared_ptr<const reference::MaterialDatabase> database_;
};

// A database made from table rows (the form of materials.txt) in `folder`.
inline std::shared_ptr<const reference::MaterialDatabase> MakeDatabase(const std::filesystem::path& folder,
                                                                       const std::string& rows) {
    const reference::TableReadResult table = reference::ReadMaterialTable(rows);
    EXPECT_EQ(table.error, "");
    std::string error;
    const std::filesystem::path file = folder / "materials.db";
    EXPECT_TRUE(reference::WriteMaterialDatabase(table.materials, file, error)) << error;
    std::shared_ptr<const reference::MaterialDatabase> database = reference::MaterialDatabase::Open(file, error);
    EXPECT_TRUE(database) << error;
    return database;
}

// The reference's program with the database the build made.
inline std::string ReferenceProgram() {
    return "\"" MATERIALS_REFERENCE "\" --database \"" MATERIALS_DATA "/materials.db\"";
}

inline void RegisterReferenceProgram(const std::string& commandLine = ReferenceProgram()) {
    ClassRegistration entry;
    entry.clsid = Integrator::kServerClassId;
    entry.progId = reference::kReferenceProgId;
    entry.typeName = "Материалы и Сортаменты";
    entry.localServer = commandLine;
    ComponentRegistry::RegisterClass(entry);
}

}  // namespace zarvento::test
