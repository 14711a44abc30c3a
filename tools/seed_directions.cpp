// Computes the Spring scene's seed-direction lists for 5 to 30 letters: for each count n, n unit
// vectors spread over the sphere so that the smallest angle between two of them is as large as we can
// make it. Prints them as C++ rows, four decimals each, ready to paste into
// seasons/spring/seed_direction_table.cpp (lists 4 to 29; lists 0 to 3 are fixed by hand there).
//
// Standalone, no project libraries and no randomness (the start is a Fibonacci spiral), so the output
// is the same on every run:
//
//   g++ -O2 -std=c++17 -o /tmp/seed_directions tools/seed_directions.cpp && /tmp/seed_directions
//
// Method: repulsion with an energy sum 1 / r^p over all pairs, p raised step by step (1, 2, 4, ... 256)
// so that the closest pair dominates more and more, which approaches the widest possible spread. After
// each stage the configuration with the largest smallest angle so far is kept. Finally the vectors are
// rounded to four decimals and the rounded set is reported with its smallest angle.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct V {
    double x, y, z;
};

V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator+(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V operator*(V a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dotp(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V unit(V a) {
    double l = std::sqrt(dotp(a, a));
    return l > 0 ? a * (1.0 / l) : V{0, 1, 0};
}

const double degrees = 180.0 / 3.14159265358979323846;

double smallestAngle(const std::vector<V>& p) {
    double best = 1e9;
    for (size_t i = 0; i < p.size(); ++i)
        for (size_t j = i + 1; j < p.size(); ++j) {
            double c = std::max(-1.0, std::min(1.0, dotp(unit(p[i]), unit(p[j]))));
            best = std::min(best, std::acos(c) * degrees);
        }
    return best;
}

std::vector<V> spiral(int n) {
    std::vector<V> p;
    const double golden = 3.14159265358979323846 * (3.0 - std::sqrt(5.0));
    for (int i = 0; i < n; ++i) {
        double y = 1.0 - 2.0 * (i + 0.5) / n;
        double r = std::sqrt(std::max(0.0, 1.0 - y * y));
        double a = golden * i;
        p.push_back({r * std::cos(a), y, r * std::sin(a)});
    }
    return p;
}

// Gradient steps on the sphere for the energy sum 1 / r^power, each step scaled so that the largest
// move is `step` (shrinking as it goes).
void relax(std::vector<V>& p, double power, int iterations) {
    const size_t n = p.size();
    std::vector<V> force(n);
    double step = 0.05;
    for (int it = 0; it < iterations; ++it) {
        // Scale distances by the current smallest one so that large powers stay finite.
        double dmin = 1e9;
        for (size_t i = 0; i < n; ++i)
            for (size_t j = i + 1; j < n; ++j) {
                V d = p[i] - p[j];
                dmin = std::min(dmin, std::sqrt(dotp(d, d)));
            }
        for (auto& f : force) f = {0, 0, 0};
        for (size_t i = 0; i < n; ++i)
            for (size_t j = i + 1; j < n; ++j) {
                V d = p[i] - p[j];
                double r = std::sqrt(dotp(d, d));
                if (r <= 0) continue;
                double mag = std::pow(dmin / r, power + 1) / r;
                force[i] = force[i] + d * mag;
                force[j] = force[j] - d * mag;
            }
        double largest = 0;
        for (size_t i = 0; i < n; ++i) {
            force[i] = force[i] - p[i] * dotp(force[i], p[i]);  // tangential part only
            largest = std::max(largest, std::sqrt(dotp(force[i], force[i])));
        }
        if (largest <= 0) break;
        for (size_t i = 0; i < n; ++i) p[i] = unit(p[i] + force[i] * (step / largest));
        step *= 0.995;
        if (step < 1e-5) step = 1e-5;
    }
}

std::vector<V> rounded(const std::vector<V>& p) {
    std::vector<V> r;
    for (V v : p)
        r.push_back({std::round(v.x * 1e4) / 1e4, std::round(v.y * 1e4) / 1e4, std::round(v.z * 1e4) / 1e4});
    return r;
}

void printValue(double v) {
    if (v == 0) v = 0;  // no "-0"
    std::printf("%.4ff", v);
}

}  // namespace

int main() {
    for (int n = 5; n <= 30; ++n) {
        std::vector<V> p = spiral(n);
        std::vector<V> best = p;
        double bestAngle = smallestAngle(p);
        for (double power = 1; power <= 256; power *= 2) {
            relax(p, power, 3000);
            double a = smallestAngle(p);
            if (a > bestAngle) {
                bestAngle = a;
                best = p;
            }
        }
        std::vector<V> r = rounded(best);
        std::printf("    // %d vectors, smallest angle %.2f degrees\n    {", n, smallestAngle(r));
        for (size_t i = 0; i < r.size(); ++i) {
            std::printf(i == 0 ? "{" : (i % 3 == 0 ? ",\n     {" : ", {"));
            printValue(r[i].x);
            std::printf(", ");
            printValue(r[i].y);
            std::printf(", ");
            printValue(r[i].z);
            std::printf("}");
        }
        std::printf("},\n");
    }
    return 0;
}
