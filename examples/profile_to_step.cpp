// profile-to-step: writes the part that a turning profile describes as a STEP
// file, the profile turned once about the Z axis. The build makes the bundled
// example's STEP file with it, so that no model file needs to be kept.
//   profile-to-step <profile> <step file> [part name]
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "geometry/contour_script.h"
#include "model/revolution_part.h"
#include "platform/core/text_file.h"

int main(int argc, char** argv) {
    using namespace zarvento;
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: profile-to-step <profile> <step file> [part name]\n";
        return 2;
    }
    const std::filesystem::path profilePath = argv[1];
    const std::string stepPath = argv[2];
    const std::string name = argc == 4 ? argv[3] : profilePath.stem().string();
    FileReadResult text = ReadTextFile(profilePath, TextEncoding::Utf8);
    if (!text.ok) {
        std::cerr << "profile-to-step: cannot read " << profilePath.string() << ": " << text.error << "\n";
        return 1;
    }
    std::string error;
    std::unique_ptr<Contour> profile = ParseContourScript(text.text, &error);
    if (!profile) {
        std::cerr << "profile-to-step: " << profilePath.string() << ": " << error << "\n";
        return 1;
    }
    try {
        BodyOfProfile(*profile).WriteStep(stepPath, name);
    } catch (const std::exception& e) {
        std::cerr << "profile-to-step: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
