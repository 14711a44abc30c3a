#include "render/vector_math.h"

#include <cfloat>
#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const double kPi = 3.14159265358979323846;
const double kDegToRad = kPi / 180.0;

// Stores a double intermediate back as float. Values beyond the float range become infinities rather
// than relying on an out-of-range conversion.
float toFloat(double v) {
    if (v > FLT_MAX) return std::numeric_limits<float>::infinity();
    if (v < -FLT_MAX) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

double dot3(const Vec3& a, const Vec3& b) {
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

// Affine: bottom row (0, 0, 0, 1).
void makeAffine(float* m) {
    m[3] = 0;
    m[7] = 0;
    m[11] = 0;
    m[15] = 1;
}

// Every entry is its four products summed in double from zero, k = 0..3 in that order, and stored back
// as float (a product of two floats is exact in double, so only that order matters). The entries are
// independent, so they are summed side by side: two rows at a time in vector registers where the
// processor has SSE2 (every x86-64 does), three scalar sums otherwise; the bottom row is left to
// makeAffine, which overwrites it.
#if defined(__SSE2__)
void multiply(const float* a, const float* b, float* out) {
    // Columns of `a` widened to double, rows 0-1 and 2-3 (row 3 is summed along but never kept).
    __m128d a01[4], a23[4];
    for (int k = 0; k < 4; ++k) {
        a01[k] = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + 4 * k))));
        a23[k] = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + 4 * k + 2))));
    }
    const __m128d biggest = _mm_set1_pd(FLT_MAX), lowest = _mm_set1_pd(-FLT_MAX);
    float result[16];
    for (int c = 0; c < 4; ++c) {
        __m128d s01 = _mm_setzero_pd(), s23 = _mm_setzero_pd();
        for (int k = 0; k < 4; ++k) {
            const __m128d bk = _mm_set1_pd(b[k + 4 * c]);
            s01 = _mm_add_pd(s01, _mm_mul_pd(a01[k], bk));
            s23 = _mm_add_pd(s23, _mm_mul_pd(a23[k], bk));
        }
        const __m128d outOfRange = _mm_or_pd(_mm_or_pd(_mm_cmpgt_pd(s01, biggest), _mm_cmplt_pd(s01, lowest)),
                                             _mm_or_pd(_mm_cmpgt_pd(s23, biggest), _mm_cmplt_pd(s23, lowest)));
        if (_mm_movemask_pd(outOfRange) != 0) {
            double sums[4];
            _mm_storeu_pd(sums, s01);
            _mm_storeu_pd(sums + 2, s23);
            for (int r = 0; r < 4; ++r) result[4 * c + r] = toFloat(sums[r]);
        } else {
            _mm_storeu_ps(result + 4 * c, _mm_movelh_ps(_mm_cvtpd_ps(s01), _mm_cvtpd_ps(s23)));
        }
    }
    for (int i = 0; i < 16; ++i) out[i] = result[i];
    makeAffine(out);
}
#else
void multiply(const float* a, const float* b, float* out) {
    const double a0 = a[0], a1 = a[1], a2 = a[2], a4 = a[4], a5 = a[5], a6 = a[6];
    const double a8 = a[8], a9 = a[9], a10 = a[10], a12 = a[12], a13 = a[13], a14 = a[14];
    float result[12];
    for (int c = 0; c < 4; ++c) {
        const double b0 = b[4 * c], b1 = b[4 * c + 1], b2 = b[4 * c + 2], b3 = b[4 * c + 3];
        double s0 = 0, s1 = 0, s2 = 0;
        s0 += a0 * b0;
        s1 += a1 * b0;
        s2 += a2 * b0;
        s0 += a4 * b1;
        s1 += a5 * b1;
        s2 += a6 * b1;
        s0 += a8 * b2;
        s1 += a9 * b2;
        s2 += a10 * b2;
        s0 += a12 * b3;
        s1 += a13 * b3;
        s2 += a14 * b3;
        result[3 * c] = toFloat(s0);
        result[3 * c + 1] = toFloat(s1);
        result[3 * c + 2] = toFloat(s2);
    }
    for (int c = 0; c < 4; ++c) {
        out[4 * c] = result[3 * c];
        out[4 * c + 1] = result[3 * c + 1];
        out[4 * c + 2] = result[3 * c + 2];
    }
    makeAffine(out);
}
#endif

}  // namespace

// ---- Vec3 ----------------------------------------------------------------------------------------

Vec3 Vec3::operator*(const float& s) const {
    return Vec3(toFloat(double(x) * s), toFloat(double(y) * s), toFloat(double(z) * s));
}

float Vec3::length() const {
    return toFloat(std::sqrt(dot3(*this, *this)));
}

void Vec3::get(float& ox, float& oy, float& oz) const {
    ox = x;
    oy = y;
    oz = z;
}

void Vec3::set(float nx, float ny, float nz) {
    x = nx;
    y = ny;
    z = nz;
}

Vec3& Vec3::operator+=(const Vec3& o) {
    x = toFloat(double(x) + o.x);
    y = toFloat(double(y) + o.y);
    z = toFloat(double(z) + o.z);
    return *this;
}

void Vec3::add(float dx, float dy, float dz) {
    *this += Vec3(dx, dy, dz);
}

void Vec3::clear() {
    set(0, 0, 0);
}

Vec3 operator+(const Vec3& a, const Vec3& b) {
    return Vec3(toFloat(double(a.x) + b.x), toFloat(double(a.y) + b.y), toFloat(double(a.z) + b.z));
}

Vec3 operator-(const Vec3& a, const Vec3& b) {
    return Vec3(toFloat(double(a.x) - b.x), toFloat(double(a.y) - b.y), toFloat(double(a.z) - b.z));
}

float dot(const Vec3& a, const Vec3& b) {
    return toFloat(dot3(a, b));
}

Vec3 cross(const Vec3& a, const Vec3& b) {
    return Vec3(toFloat(double(a.y) * b.z - double(a.z) * b.y),
                toFloat(double(a.z) * b.x - double(a.x) * b.z),
                toFloat(double(a.x) * b.y - double(a.y) * b.x));
}

// ---- Box3 ----------------------------------------------------------------------------------------

bool Box3::contains(float x, float y, float z) const {
    return minX <= x && x <= maxX && minY <= y && y <= maxY && minZ <= z && z <= maxZ;
}

// ---- Matrix4 -------------------------------------------------------------------------------------

Matrix4::Matrix4() {
    setIdentity();
}

Matrix4::Matrix4(const float* values) {
    for (int i = 0; i < 16; ++i) m[i] = values[i];
    makeAffine(m);
}

void Matrix4::copyTo(float* out) const {
    for (int i = 0; i < 16; ++i) out[i] = m[i];
}

void Matrix4::setIdentity() {
    static const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) m[i] = identity[i];
}

void Matrix4::setTranslation(const Vec3& t) {
    setIdentity();
    m[12] = t.x;
    m[13] = t.y;
    m[14] = t.z;
}

void Matrix4::clearTranslation() {
    m[12] = 0;
    m[13] = 0;
    m[14] = 0;
    m[15] = 1;
}

void rotationCosSin(float deg, float* c, float* s) {
    const double a = deg * kDegToRad;
    *c = toFloat(std::cos(a));
    *s = toFloat(std::sin(a));
}

void Matrix4::setRotationX(float deg) {
    float c, s;
    rotationCosSin(deg, &c, &s);
    setIdentity();
    m[5] = c;
    m[10] = c;
    m[6] = s;
    m[9] = -s;
}

void Matrix4::setRotationY(float deg) {
    float c, s;
    rotationCosSin(deg, &c, &s);
    setIdentity();
    m[0] = c;
    m[10] = c;
    m[2] = -s;
    m[8] = s;
}

void Matrix4::setRotationZ(float deg) {
    float c, s;
    rotationCosSin(deg, &c, &s);
    setIdentity();
    m[0] = c;
    m[5] = c;
    m[1] = s;
    m[4] = -s;
}

void Matrix4::setLookBasis(Vec3 a, Vec3 b, Vec3 up) {
    // Forward, side and up, each normalised unless it has no length.
    double f[3] = {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z};
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    if (fl != 0) {
        for (double& v : f) v /= fl;
    }
    double s[3] = {double(up.y) * f[2] - double(up.z) * f[1],
                   double(up.z) * f[0] - double(up.x) * f[2],
                   double(up.x) * f[1] - double(up.y) * f[0]};
    // The up row comes from the side vector as it is before its normalisation.
    double u[3] = {f[1] * s[2] - f[2] * s[1], f[2] * s[0] - f[0] * s[2], f[0] * s[1] - f[1] * s[0]};
    const double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    if (sl != 0) {
        for (double& v : s) v /= sl;
    }
    const double ul = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    if (ul != 0) {
        for (double& v : u) v /= ul;
    }
    setIdentity();
    for (int c = 0; c < 3; ++c) {
        m[0 + 4 * c] = toFloat(s[c]);
        m[1 + 4 * c] = toFloat(u[c]);
        m[2 + 4 * c] = toFloat(f[c]);
    }
}

Matrix4 Matrix4::operator*(const Matrix4& o) const {
    Matrix4 r;
    multiply(m, o.m, r.m);
    return r;
}

Matrix4& Matrix4::operator*=(const Matrix4& o) {
    float r[16];
    multiply(m, o.m, r);
    for (int i = 0; i < 16; ++i) m[i] = r[i];
    return *this;
}

void Matrix4::transformPoint(float x, float y, float z, float* ox, float* oy, float* oz) const {
    // Each coordinate: its four products in double, summed from zero, k = 0..3 (as the product above).
#if defined(__SSE2__)
    const double p[4] = {x, y, z, 1.0};
    __m128d s01 = _mm_setzero_pd(), s23 = _mm_setzero_pd();
    for (int k = 0; k < 4; ++k) {
        const __m128d pk = _mm_set1_pd(p[k]);
        const float* column = m + 4 * k;
        s01 = _mm_add_pd(s01, _mm_mul_pd(_mm_cvtps_pd(_mm_castsi128_ps(
                                             _mm_loadl_epi64(reinterpret_cast<const __m128i*>(column)))), pk));
        s23 = _mm_add_pd(s23, _mm_mul_pd(_mm_cvtps_pd(_mm_castsi128_ps(
                                             _mm_loadl_epi64(reinterpret_cast<const __m128i*>(column + 2)))), pk));
    }
    double r[4];
    _mm_storeu_pd(r, s01);
    _mm_storeu_pd(r + 2, s23);
#else
    const double p[4] = {x, y, z, 1.0};
    double r[3];
    for (int row = 0; row < 3; ++row) {
        double sum = 0;
        for (int k = 0; k < 4; ++k) sum += double(m[row + 4 * k]) * p[k];
        r[row] = sum;
    }
#endif
    *ox = toFloat(r[0]);
    *oy = toFloat(r[1]);
    *oz = toFloat(r[2]);
}

// ---- plane helpers -------------------------------------------------------------------------------

float planeOffset(const Vec3& normal, const Vec3& point) {
    return toFloat(-dot3(normal, point));
}

float rayPlaneParameter(const Vec3& normal, float d, const Vec3& origin, const Vec3& direction) {
    const double num = -(dot3(normal, origin) + d);
    const double den = dot3(normal, direction);
    if (den == 0) {
        // Parallel ray: no hit. Infinite (or not a number when the ray lies in the plane), never a
        // finite value a caller could mistake for a hit.
        if (num == 0 || std::isnan(num)) return std::numeric_limits<float>::quiet_NaN();
        return num > 0 ? std::numeric_limits<float>::infinity()
                       : -std::numeric_limits<float>::infinity();
    }
    return toFloat(num / den);
}

// ---- Quaternion ----------------------------------------------------------------------------------

Quaternion::Quaternion() : x(0), y(0), z(0), w(1) {}

Quaternion::Quaternion(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {
    normalize();
}

void Quaternion::setIdentity() {
    x = 0;
    y = 0;
    z = 0;
    w = 1;
}

void Quaternion::normalize() {
    const double len = std::sqrt(double(x) * x + double(y) * y + double(z) * z + double(w) * w);
    if (len == 0) {
        // A zero quaternion has no direction: it becomes the identity instead of dividing by zero.
        setIdentity();
        return;
    }
    float* c[4] = {&x, &y, &z, &w};
    for (float* v : c) {
        double n = *v / len;
        if (n > 1) n = 1;
        if (n < -1) n = -1;
        *v = static_cast<float>(n);
    }
}

void Quaternion::fromEuler(float xDeg, float yDeg, float zDeg) {
    const double hx = xDeg * kPi / 360.0;
    const double hy = yDeg * kPi / 360.0;
    const double hz = zDeg * kPi / 360.0;
    const double cx = std::cos(hx), sx = std::sin(hx);
    const double cy = std::cos(hy), sy = std::sin(hy);
    const double cz = std::cos(hz), sz = std::sin(hz);
    w = toFloat(sz * sy * sx + cz * cy * cx);
    x = toFloat(cz * cy * sx - sz * sy * cx);
    y = toFloat(sz * sx * cy + sy * cz * cx);
    z = toFloat(sz * cy * cx - sy * sx * cz);
    normalize();
}

void Quaternion::fromMatrix(const Matrix4& mat) {
    const float* m = mat.m;
    auto at = [m](int r, int c) { return double(m[r + 4 * c]); };
    const double trace = at(0, 0) + at(1, 1) + at(2, 2);
    if (trace > 0) {
        double s = std::sqrt(trace + 1.0);
        w = toFloat(s / 2);
        s = 0.5 / s;
        x = toFloat((at(1, 2) - at(2, 1)) * s);
        y = toFloat((at(2, 0) - at(0, 2)) * s);
        z = toFloat((at(0, 1) - at(1, 0)) * s);
        return;
    }
    int i = 0;
    if (at(1, 1) > at(0, 0)) i = 1;
    if (at(2, 2) > at(i, i)) i = 2;
    const int j = (i + 1) % 3;
    const int k = (j + 1) % 3;
    // With i the largest diagonal element and the trace not positive, the root's argument is at
    // least 1 for any finite matrix.
    double s = std::sqrt(at(i, i) - (at(j, j) + at(k, k)) + 1.0);
    double q[3];
    q[i] = s / 2;
    if (s != 0) s = 0.5 / s;
    w = toFloat((at(j, k) - at(k, j)) * s);
    q[j] = (at(i, j) + at(j, i)) * s;
    q[k] = (at(i, k) + at(k, i)) * s;
    x = toFloat(q[0]);
    y = toFloat(q[1]);
    z = toFloat(q[2]);
}

Matrix4 Quaternion::toMatrix() const {
    const double qx = x, qy = y, qz = z, qw = w;
    Matrix4 r;
    float* m = r.m;
    for (int i = 0; i < 16; ++i) m[i] = 0;
    m[0] = toFloat(1 - 2 * (qy * qy + qz * qz));
    m[1] = toFloat(2 * (qx * qy + qw * qz));
    m[2] = toFloat(2 * (qx * qz - qw * qy));
    m[4] = toFloat(2 * (qx * qy - qw * qz));
    m[5] = toFloat(1 - 2 * (qx * qx + qz * qz));
    m[6] = toFloat(2 * (qy * qz + qw * qx));
    m[8] = toFloat(2 * (qx * qz + qw * qy));
    m[9] = toFloat(2 * (qy * qz - qw * qx));
    m[10] = toFloat(1 - 2 * (qx * qx + qy * qy));
    m[15] = 1;
    return r;
}

void Quaternion::slerp(Quaternion a, Quaternion b, float t) {
    const double d = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z + double(a.w) * b.w;
    double s0, s1;
    double bx = b.x, by = b.y, bz = b.z, bw = b.w;
    if (1.0 + d > 1e-6) {
        if (1.0 - d > 1e-6) {
            const double omega = std::acos(d);
            const double so = std::sin(omega);  // at least sin(sqrt(2e-6)) here
            s0 = std::sin((1.0 - t) * omega) / so;
            s1 = std::sin(t * omega) / so;
        } else {
            // Nearly equal: linear weights.
            s0 = 1.0 - t;
            s1 = t;
        }
    } else {
        // Opposite inputs: b is replaced by a quaternion perpendicular to a, and the weights turn
        // through a quarter circle from a to it, so the result stays a unit rotation.
        bx = -a.y;
        by = a.x;
        bz = -a.w;
        bw = a.z;
        s0 = std::sin((1.0 - t) * (kPi / 2));
        s1 = std::sin(t * (kPi / 2));
    }
    x = toFloat(s0 * a.x + s1 * bx);
    y = toFloat(s0 * a.y + s1 * by);
    z = toFloat(s0 * a.z + s1 * bz);
    w = toFloat(s0 * a.w + s1 * bw);
}

Quaternion Quaternion::operator*(const Quaternion& o) const {
    const double ax = x, ay = y, az = z, aw = w;
    const double ox = o.x, oy = o.y, oz = o.z, ow = o.w;
    return Quaternion(toFloat(aw * ox + ax * ow + az * oy - ay * oz),
                      toFloat(aw * oy + ay * ow + ax * oz - az * ox),
                      toFloat(aw * oz + az * ow + ay * ox - ax * oy),
                      toFloat(aw * ow - ax * ox - ay * oy - az * oz));
}

// ---- ForceAccumulator ----------------------------------------------------------------------------

// Out-of-line definition, so the capacity may also be bound to a reference.
const int ForceAccumulator::capacity;

ForceAccumulator::ForceAccumulator() : sum(0, 0, 0), pending(0) {}

void ForceAccumulator::add(const Vec3& f) {
    if (pending < capacity) {
        entries[pending] = f;
        ++pending;
    } else {
        entries[capacity - 1] += f;
    }
}

void ForceAccumulator::sumAndClear() {
    double tx = 0, ty = 0, tz = 0;
    for (int i = 0; i < pending; ++i) {
        tx += entries[i].x;
        ty += entries[i].y;
        tz += entries[i].z;
        entries[i].clear();
    }
    sum.set(toFloat(tx), toFloat(ty), toFloat(tz));
    pending = 0;
}

void ForceAccumulator::clear() {
    pending = 0;
    entries[0].clear();
}
