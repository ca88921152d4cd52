// Least-squares straight line through points (n, y), used to predict harmonic levels from the
// logarithms of the levels seen so far.
#pragma once

#include <cmath>

namespace velt::engine {

// base^exponent by repeated squaring (exponent >= 0).
inline double powerBySquaring(double base, int exponent) {
    double result = 1;
    while (exponent > 0) {
        if (exponent & 1) result *= base;
        base *= base;
        exponent >>= 1;
    }
    return result;
}

struct LineFit {
    double sumN = 0;
    double sumNN = 0;
    double sumY = 0;
    double sumNY = 0;
    int count = 0;

    void add(double n, double y) {
        sumN += n;
        sumNN += n * n;
        sumY += y;
        sumNY += n * y;
        ++count;
    }

    // Slope and intercept; false when the determinant is 0 (fewer than two distinct points).
    bool solve(double& slope, double& intercept) const {
        double det = count * sumNN - sumN * sumN;
        if (det == 0) return false;
        slope = (count * sumNY - sumN * sumY) / det;
        intercept = (sumY - sumN * slope) / count;
        return true;
    }

    // e^intercept x (e^slope)^i: the level the fitted exponential decay predicts for index i.
    static double predict(double slope, double intercept, int i) {
        return std::exp(intercept) * powerBySquaring(std::exp(slope), i);
    }
};

// ln of a level, 0 for a level of 0 (so silent harmonics do not break the fit).
inline double logLevel(double level) {
    return level == 0 ? 0 : std::log(level);
}

}  // namespace velt::engine
