// Create3DModelResult: the 3D model of the machined part. A stock contour as
// machined (z along the turning axis, x <= 0 the negated radius) becomes a
// part file: the section turned once about the NC system's Z axis into a new
// part, or, when the plan's stock is a model file, the region between the
// section and a frame round it turned and cut from a copy of that model. The
// faces take the settings' colour 10 and the part is saved as our part
// document. Beside it, "LSC.txt" in the plan's temporary directory holds the
// three axes of the NC system.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zarvento {

class Contour;
class LocalCoordinateSystem;

// What the plan gives the result model.
struct ResultModelPlan {
    // The NC coordinate system; without one nothing is made.
    std::shared_ptr<LocalCoordinateSystem> lsc;
    // The stock's build method (2: from a model file) and that file.
    std::int32_t stockMethod = 0;
    std::string stockModelFile;
    // Where "LSC.txt" goes.
    std::string temporaryDirectory;
};

inline constexpr const char* kResultModelCaption = "Orbisel";
inline constexpr const char* kStockFileMissing = "Не найден файл заготовки";
inline constexpr const char* kResultModelTarget = "Модель результата нельзя записать в этот файл";
inline constexpr const char* kLscFileName = "LSC.txt";
inline constexpr int kResultModelColour = 10;

// Makes and saves the model at `path`; nothing without a contour or an NC
// system. A stock model file that cannot be copied shows "Не найден файл
// заготовки\n<file>"; a target that is the stock model itself or a document
// open in the host is refused with "Модель результата нельзя записать в этот
// файл\n<path>"; an "LSC.txt" that cannot be written ends it silently. A
// failing host call raises HostError after the half-built document has been
// closed unsaved.
void Create3DModelResult(const Contour* contour, const std::string& path, const ResultModelPlan& plan);

// The three lines of "LSC.txt": the directions of axis codes 71, 72, 73.
std::string LscFileText(const LocalCoordinateSystem& lsc);

}  // namespace zarvento
