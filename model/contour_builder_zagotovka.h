// The stock contour builder of the plan: the stock's contour from a sketch,
// from faces chosen on the part, from a stock model file or from bar sizes.
#pragma once

#include <memory>
#include <string>

#include "geometry/contour.h"
#include "platform/host_sketch.h"

namespace zarvento {

class CContourBuilderZagotovka {
public:
    // Build methods.
    static constexpr int kFromSketch = 0;
    static constexpr int kFromFaces = 1;
    static constexpr int kFromFile = 2;
    static constexpr int kBar = 3;

    CContourBuilderZagotovka() = default;
    CContourBuilderZagotovka(const CContourBuilderZagotovka&) = delete;
    CContourBuilderZagotovka& operator=(const CContourBuilderZagotovka&) = delete;

    // A new contour by the build method, or null (any other method, no wall,
    // nothing recognised). The caller owns it.
    std::unique_ptr<Contour> Build();
    // Bar stock: null when the bore leaves no wall (d/2 > D/2 - 0.1).
    std::unique_ptr<Contour> CreateBarContour() const;
    // The kept stock contour of the model file (recognised once, until
    // DeleteContour), as a copy.
    std::unique_ptr<Contour> CreateContourFromFile();

    void SetFileName(std::string name) { fileName_ = std::move(name); }
    const std::string& GetFileName() const { return fileName_; }

    // The recognised stock contour the builder keeps; may be null.
    const Contour* GetStockContour() const { return stockContour_.get(); }
    void SetStockContour(std::unique_ptr<Contour> contour) { stockContour_ = std::move(contour); }
    void DeleteContour() { stockContour_.reset(); }

    int buildMethod = kFromFaces;
    std::shared_ptr<HostSketch> sketch;
    double accuracy = 0.01;
    bool isPripuskZ = false;
    double PripuskZ = 0.0;
    // The stock described on the part's own contour; a link, not owned.
    const Contour* sourceContour = nullptr;
    // The result must lie in the half plane of the turned part (x <= 0).
    bool halfPlaneCheck = false;
    double barLength = 0.0;
    double barDiameter = 0.0;
    double barInnerDiameter = 0.0;
    double barZ = 0.0;

private:
    std::string fileName_;
    std::unique_ptr<Contour> stockContour_;
};

}  // namespace zarvento
