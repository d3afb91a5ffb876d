// The layout of the sketches as plain data, apart from the drawing calls: the
// machined portions, their length and diameter dimensions (collected, without
// duplicates, sorted and placed), the cutting-data table of an operation and
// the tool table of the plan, and the texts they show.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geometry/contour.h"

namespace zarvento {

// One dimension to draw: the two measured points, where its line stands,
// the size it is sorted by (a diameter counts 4·|x|: twice the diameter) and
// whether it is a diameter.
struct SketchDimension {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double offset = 0;
    double value = 0;
    bool vertical = false;
};

// 2 (arrows outside) for a value below 15, else 1.
int SketchArrowCode(double value);

// The portions of the working contour an operation machines: the pieces
// between consecutive crossings with the source contour whose middle lies
// inside it (the whole contour when they do not cross).
std::vector<std::unique_ptr<Contour>> MachinedPortions(const Contour& work, const Contour& source);

// The portions of the finished contour the plan machines: pieces between
// consecutive crossings with the stock whose middle lies inside it and on the
// working contour of some operation, keeping only units on the part contour.
std::vector<std::unique_ptr<Contour>> PlanMachinedPortions(const Contour& finalContour, const Contour& stock,
                                                           const Contour& part,
                                                           const std::vector<const Contour*>& workContours);

// Appends the portion's dimensions: its first unit's start point without a
// duplicate test, then every unit's end point unless a dimension at that z
// (lengths) or x (diameters) was collected already, within 0.001. Units split
// out of a compound unit give none.
void CollectSketchDimensions(const Contour& portion, std::vector<SketchDimension>& lengths,
                             std::vector<SketchDimension>& diameters);

// Sorts by value, ascending, and sets each dimension's offset: lengths from
// xmin − 15 down by 10 a line (the next of two on opposite sides of z = 0
// shares the previous line when their texts keep clear of each other),
// diameters from zmax + 18 rightwards by 10.
void PlaceSketchDimensions(std::vector<SketchDimension>& lengths, std::vector<SketchDimension>& diameters, double xmin,
                           double zmax);

// A value as address words print it, without a letter: the shortest of 0 to 3
// decimals exact to 0.001 and one blank.
std::string SketchNumber(double value);
// "Ra" and the roughness value, or "Ra3,2" without one.
std::string SketchRoughnessText(const double* roughness);

// What the cutting-data table of an operation's sketch shows.
struct CuttingData {
    int position = -1;  // turret position, from 0
    std::string designation;
    // The mean machining diameter (a diameter, not the path's mean radius).
    double diameter = 0;
    double depth = 0, feed = 0, spindle = 0, cuttingSpeed = 0, nmin = 0, nmax = 0;
    bool constantSpeed = false;
    double time = 0;  // working and idle time, minutes
    // The second pass: depth, feed and speed (spindle speed, or cutting speed
    // with constant cutting speed).
    double depth2 = 0, feed2 = 0, speed2 = 0;
};

struct CuttingTable {
    double y = 20.0;  // top edge; 30 with a second pass
    std::vector<double> widths;
    std::vector<std::array<std::string, 8>> rows;  // header, data row(s)
    bool secondPass = false;
};

// The spindle speed and the cutting speed for a speed value: with constant
// cutting speed the value is V and n = V·1000/π/D, else it is n and
// V = π·D·n/1000; n is kept inside [nmin, nmax].
void SketchSpeeds(double speed, double diameter, bool constantSpeed, double nmin, double nmax, double& n, double& v);
CuttingTable MakeCuttingTable(const CuttingData& data);

// One row of the plan sketch's tool table.
struct SketchToolRow {
    int position = 0;  // from 0
    std::string designation;
    double r = 0, D = 0, correctX = 0, correctZ = 0;
};
// The texts of a row: the position from 1, the designation and four numbers
// ("-" for one at most 0.001; the corrections by their size).
std::array<std::string, 6> SketchToolRowTexts(const SketchToolRow& row);

}  // namespace zarvento
