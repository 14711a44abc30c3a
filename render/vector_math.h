// Small value types for the camera and the scenes: a 3-vector, an axis-aligned box, a 4x4 matrix in
// OpenGL column order, a rotation quaternion, plane helpers for picking, and a fixed-capacity force
// accumulator. Floats throughout; intermediate products are computed in double and stored as float.
// Angles are in degrees.
#pragma once

struct Vec3 {
    float x, y, z;

    Vec3() : x(0), y(0), z(0) {}
    Vec3(float x, float y, float z) : x(x), y(y), z(z) {}
    Vec3(const Vec3& o) = default;
    Vec3& operator=(const Vec3& o) = default;

    Vec3 operator*(const float& s) const;
    float length() const;
    void get(float& ox, float& oy, float& oz) const;
    void set(float nx, float ny, float nz);
    Vec3& operator+=(const Vec3& o);
    void add(float dx, float dy, float dz);
    void clear();
};

// Conveniences used by the scenes; not part of the component-wise API above.
Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a, const Vec3& b);
float dot(const Vec3& a, const Vec3& b);
Vec3 cross(const Vec3& a, const Vec3& b);

struct Box3 {
    float minX, maxX, minY, maxY, minZ, maxZ;

    Box3() : minX(0), maxX(0), minY(0), maxY(0), minZ(0), maxZ(0) {}
    Box3(float minX, float maxX, float minY, float maxY, float minZ, float maxZ)
        : minX(minX), maxX(maxX), minY(minY), maxY(maxY), minZ(minZ), maxZ(maxZ) {}
    // All six faces inclusive.
    bool contains(float x, float y, float z) const;
};

// The cosine and sine a rotation by `deg` degrees puts in its matrix (setRotationX/Y/Z).
void rotationCosSin(float deg, float* c, float* s);

// 16 floats in OpenGL column order: element (row r, column c) is m[r + 4c].
struct Matrix4 {
    float m[16];

    Matrix4();                       // identity
    explicit Matrix4(const float* values);  // copied, then made affine (bottom row 0 0 0 1)
    Matrix4(const Matrix4& o) = default;
    Matrix4& operator=(const Matrix4& o) = default;  // copies all 16 as they are

    void copyTo(float* out) const;
    void setIdentity();
    void setTranslation(const Vec3& t);
    void clearTranslation();
    void setRotationX(float deg);
    void setRotationY(float deg);
    void setRotationZ(float deg);
    void setLookBasis(Vec3 a, Vec3 b, Vec3 up);
    Matrix4 operator*(const Matrix4& o) const;  // this x o, made affine
    Matrix4& operator*=(const Matrix4& o);
    void transformPoint(float x, float y, float z, float* ox, float* oy, float* oz) const;
};

struct Quaternion {
    float x, y, z, w;

    Quaternion();                                   // identity (0, 0, 0, 1)
    Quaternion(float x, float y, float z, float w); // normalised
    Quaternion(const Quaternion& o) = default;
    Quaternion& operator=(const Quaternion& o) = default;

    void setIdentity();
    void normalize();
    void fromEuler(float xDeg, float yDeg, float zDeg);
    void fromMatrix(const Matrix4& m);
    Matrix4 toMatrix() const;
    void slerp(Quaternion a, Quaternion b, float t);
    Quaternion operator*(const Quaternion& o) const;
};

// Plane n.p + d = 0 through `point`.
float planeOffset(const Vec3& normal, const Vec3& point);
// Ray parameter where origin + t * direction meets the plane. Not finite for a ray parallel to it.
float rayPlaneParameter(const Vec3& normal, float d, const Vec3& origin, const Vec3& direction);

// Up to `capacity` pending forces between two sums.
class ForceAccumulator {
public:
    static const int capacity = 20;

    ForceAccumulator();
    // Adds one force. A force beyond capacity is folded into the last entry, so the sum stays whole
    // and nothing is written out of bounds.
    void add(const Vec3& f);
    void sumAndClear();
    void clear();

    const Vec3& total() const { return sum; }
    int count() const { return pending; }

private:
    Vec3 sum;
    Vec3 entries[capacity];
    int pending;
};
