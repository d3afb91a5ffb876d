// The stock contour builder of the plan: the stock's contour from a sketch,
// from faces chosen on the part, from a stock model file or from bar sizes.
#pragma once

#include <memory>
#include <string>

#include "model/contour_builder.h"

namespace zarvento {

class CContourBuilderZagotovka : public CContourBuilder {
public:
    // Build methods beyond the sketch and the faces.
    static constexpr int kFromFile = 2;
    static constexpr int kBar = 3;

    CContourBuilderZagotovka() = default;
    ~CContourBuilderZagotovka() override;

    // The chosen faces closed down to the axis.
    std::unique_ptr<Contour> CreateContourFromFaces() override;
    // The sketch's contour with no unit left a rapid move.
    std::unique_ptr<Contour> CreateContourFromSketch() override;
    // A new contour by the build method, or null (any other method, no wall,
    // nothing recognised). Never closed onto a source. The caller owns it.
    std::unique_ptr<Contour> Build() override;
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

    // Bar sizes: length, outer and inner diameter, the position of its end.
    double barLength = 0.0;
    double barDiameter = 0.0;
    double barInnerDiameter = 0.0;
    double barZ = 0.0;

private:
    std::string fileName_;
    std::unique_ptr<Contour> stockContour_;
};

}  // namespace zarvento
