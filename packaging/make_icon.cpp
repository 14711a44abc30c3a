// Draws the desktop icon: a rounded square in four quarters, one per season (spring green, summer
// blue, autumn orange, winter frost), with a white disc in the middle that carries a dark "V".
//   velmora_make_icon <size> <output.png>
#include <stb_image_write.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Colour {
    float r, g, b, a;
};

Colour mix(Colour under, Colour over, float coverage) {
    float a = over.a * coverage;
    return Colour{under.r + (over.r - under.r) * a, under.g + (over.g - under.g) * a,
                  under.b + (over.b - under.b) * a, under.a + (1 - under.a) * a};
}

// Distance from (x, y) to the segment (ax, ay)-(bx, by).
float segmentDistance(float x, float y, float ax, float ay, float bx, float by) {
    float dx = bx - ax, dy = by - ay;
    float t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    float px = ax + t * dx - x, py = ay + t * dy - y;
    return std::sqrt(px * px + py * py);
}

// The icon at one point of the unit square, (0, 0) top left.
Colour shade(float x, float y) {
    const Colour seasons[4] = {{0.49f, 0.70f, 0.26f, 1}, {0.16f, 0.62f, 0.86f, 1},
                               {0.93f, 0.45f, 0.09f, 1}, {0.86f, 0.91f, 0.95f, 1}};
    Colour out{0, 0, 0, 0};
    // Rounded square: corners of radius 0.18 inside a margin of 0.04.
    const float margin = 0.04f, radius = 0.18f;
    float cx = x < 0.5f ? margin + radius : 1 - margin - radius;
    float cy = y < 0.5f ? margin + radius : 1 - margin - radius;
    bool inCorner = (x < margin + radius || x > 1 - margin - radius) && (y < margin + radius || y > 1 - margin - radius);
    bool inside = x >= margin && x <= 1 - margin && y >= margin && y <= 1 - margin &&
                  (!inCorner || (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius);
    if (!inside) return out;
    out = seasons[(y < 0.5f ? 0 : 2) + (x < 0.5f ? 0 : 1)];

    float dx = x - 0.5f, dy = y - 0.5f;
    if (dx * dx + dy * dy <= 0.27f * 0.27f) out = mix(out, Colour{1, 1, 1, 1}, 1);
    float v = std::fmin(segmentDistance(x, y, 0.38f, 0.37f, 0.5f, 0.64f), segmentDistance(x, y, 0.62f, 0.37f, 0.5f, 0.64f));
    if (v <= 0.035f) out = mix(out, Colour{0.15f, 0.15f, 0.18f, 1}, 1);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: velmora_make_icon <size 16..1024> <output.png>\n");
        return 2;
    }
    const int samples = 4;  // per axis, for smooth edges
    std::vector<unsigned char> pixels((size_t)size * size * 4);
    for (int row = 0; row < size; ++row)
        for (int col = 0; col < size; ++col) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    Colour c = shade((col + (sx + 0.5f) / samples) / size, (row + (sy + 0.5f) / samples) / size);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            unsigned char* p = &pixels[((size_t)row * size + col) * 4];
            p[0] = (unsigned char)std::lround(a > 0 ? 255 * r / a : 0);
            p[1] = (unsigned char)std::lround(a > 0 ? 255 * g / a : 0);
            p[2] = (unsigned char)std::lround(a > 0 ? 255 * b / a : 0);
            p[3] = (unsigned char)std::lround(255 * a / (samples * samples));
        }
    if (!stbi_write_png(argv[2], size, size, 4, pixels.data(), size * 4)) {
        std::fprintf(stderr, "velmora_make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
