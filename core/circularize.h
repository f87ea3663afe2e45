// Circularization: each measured conduit becomes the diameter of the circular tube with
// the same fully developed laminar-flow conductance (equal Hagen-Poiseuille conductance).
#pragma once

#include "core/analysis_state.h"

// Multiplies every measurement of the current file by scaleFactor in place (each product
// rounded to 32 bits) and fills fileCircularized: circles, then ellipses, then rectangles.
// Runs once per file that readDataFile accepted: a second run would scale again.
void circularizeFile(AnalysisState& state);

// The first double from which the C library's tanh returns exactly 1.0 (and -1.0 from its
// negative down): 19.061547465398498, the double just above 27.5 ln 2. The series adds
// such a term as +-1.0 / k^5 without calling tanh; circularize.cpp gives the reason.
inline constexpr double TANH_SATURATED = 0x1.30fc1931f09cap+4;

// The pieces of the rectangle formula, for a rectangle of half-sides halfRadial (R) and
// halfTangential (T) in double precision.
// The duct series S = sum over k = 1, 3, ..., 63 of tanh(k pi T / (2R)) / k^5.
double rectangleSeries(double halfRadial, double halfTangential);
// The fourth power of the equal-conductance diameter, 512 T R^3 F / (3 pi).
double rectangleFourthPower(double halfRadial, double halfTangential);
// The fourth power of the equal-conductance diameter of an ellipse with full axes a, b:
// 2 a^3 b^3 / (a^2 + b^2), through the 32-bit axis ratio.
double ellipseFourthPower(float major, float minor);
