// The point register: rotation, perspective projection, and two plane-geometry routines. Every value
// written to the register or to a result global is rounded to float at that moment; the arithmetic in
// between runs in double, the degree conversions and AngleBetween in extended precision with the game's
// 3.1428.
#include <cmath>
#include <cstdint>

#include "exact/Bits.h"
#include "exact/ExactMath.h"
#include "exact/Numeric.h"
#include "scene/Scene.h"
#include "world/DatenStruktur.h"

// The depth that replaces an exact 0 before the perspective division.
constexpr float DepthEpsilon = 0.00001f;

namespace {

// The turns of the last two angle triples: the passes turn every vertex of a model by its own angles and
// then by the camera's, so nearly every call finds its triple here. A triple is found by its bits, not by
// float equality: -0 and +0 have sines of different sign, and the turn must be that of the angles given.
struct TKeptTurn {
    float Ax, Ay, Az;
    TTurn Turn;
};
TKeptTurn TurnCache[2] = {{0, 0, 0, {true, 1, 0, 1, 0, 1, 0}}, {0, 0, 0, {true, 1, 0, 1, 0, 1, 0}}};
int TurnCacheOlder;

bool SameBits(float a, float b) {
    return BitCast<uint32_t>(a) == BitCast<uint32_t>(b);
}

const TTurn& Turns(float ax, float ay, float az) {
    for (int i = 0; i < 2; i++) {
        const TKeptTurn& kept = TurnCache[i];
        if (SameBits(kept.Ax, ax) && SameBits(kept.Ay, ay) && SameBits(kept.Az, az)) {
            TurnCacheOlder = 1 - i;
            return kept.Turn;
        }
    }
    TKeptTurn& kept = TurnCache[TurnCacheOlder];
    kept = TKeptTurn{ax,
                     ay,
                     az,
                     {false, ExactCos((double)ax), ExactSin((double)ax), ExactCos((double)ay),
                      ExactSin((double)ay), ExactCos((double)az), ExactSin((double)az)}};
    TurnCacheOlder = 1 - TurnCacheOlder;
    return kept.Turn;
}

} // namespace

// Like RotatePoint, a triple of zeros neither needs nor touches the kept turns.
TTurn TurnFor(float ax, float ay, float az) {
    if (ax == 0.0f && ay == 0.0f && az == 0.0f) return TTurn{true, 1, 0, 1, 0, 1, 0};
    return Turns(ax, ay, az);
}

void RotatePoint(float ax, float ay, float az) {
    if (ax == 0.0f && ay == 0.0f && az == 0.0f) return;
    RotatePointBy(Turns(ax, ay, az));
}

TPoint3 TurnedBy(const TTurn& t, TPoint3 point) {
    if (t.None) return point;
    const double x = point.X, y = point.Y, z = point.Z;
    // About x: y turns toward z.
    const double y1 = F32(y * t.Cx - z * t.Sx);
    const double z1 = F32(y * t.Sx + z * t.Cx);
    // About y: x turns toward z.
    const double x2 = F32(x * t.Cy - z1 * t.Sy);
    const double z2 = F32(x * t.Sy + z1 * t.Cy);
    // About z: x turns toward y.
    return {F32(x2 * t.Cz - y1 * t.Sz), F32(x2 * t.Sz + y1 * t.Cz), (float)z2};
}

void RotatePointBy(const TTurn& t) {
    if (t.None) return;
    const TPoint3 turned = TurnedBy(t, {PointX, PointY, PointZ});
    PointX = turned.X;
    PointY = turned.Y;
    PointZ = turned.Z;
}

TPoint3 Projected(TPoint3 point) {
    if (point.Z == 0.0f) point.Z = DepthEpsilon;
    const double depth = point.Z, eye = EyeDistance;
    return {(float)TruncToInt32((double)point.X * eye / depth + (double)ScreenCentreX),
            (float)TruncToInt32((double)point.Y * eye / depth + (double)ScreenCentreY), point.Z};
}

void ProjectPoint() {
    const TPoint3 projected = Projected({PointX, PointY, PointZ});
    PointX = projected.X;
    PointY = projected.Y;
    PointZ = projected.Z;
}

float AngleBetween(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy) {
    const TExtended ux = ExtendedFromFloat(F32((double)ax - (double)bx));
    const TExtended uy = ExtendedFromFloat(F32((double)ay - (double)by));
    const TExtended vx = ExtendedFromFloat(F32((double)cx - (double)dx));
    const TExtended vy = ExtendedFromFloat(F32((double)cy - (double)dy));
    const TExtended lengths = ExtSqrt(ux * ux + uy * uy) * ExtSqrt(vx * vx + vy * vy);
    const TExtended zero = ExtendedFromInt(0), one = ExtendedFromInt(1);
    // A direction without length has no angle; a contact without motion counts as head-on.
    if (ExtEqual(lengths, zero)) return 90.0f;
    TExtended c = (ux * vx + uy * vy) / lengths;
    // Nearly parallel directions can round the cosine just past 1.
    if (ExtLess(one, c)) c = one;
    if (ExtLess(c, -one)) c = -one;
    return RadToDeg(F32(ExtAtan2(ExtSqrt(one - c * c), c)));
}

bool SegmentsIntersect(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
    const double ex = (double)x2 - x1, ey = (double)y2 - y1; // first segment
    const double fx = (double)x4 - x3, fy = (double)y4 - y3; // second segment
    const float den = F32(ex * fy - ey * fx);
    if (den == 0.0f) return false;
    const double gx = (double)x1 - x3, gy = (double)y1 - y3;
    IntersectT = F32((gy * fx - gx * fy) / den);
    IntersectU = F32((gy * ex - gx * ey) / den);
    IntersectX = F32(ex * IntersectT + x1);
    IntersectY = F32(ey * IntersectT + y1);
    return IntersectT >= 0.0f && IntersectT <= 1.0f && IntersectU >= 0.0f && IntersectU <= 1.0f;
}

void LoadRotation(float ax, float ay, float az) {
    RotAngleX = ax;
    RotAngleY = ay;
    RotAngleZ = az;
    RotRadX = DegToRad(ax);
    RotRadY = DegToRad(ay);
    RotRadZ = DegToRad(az);
}

TPoint2 TurnedPoint(float x, float y, float z, float bx, float by) {
    PointX = x;
    PointY = y;
    PointZ = z;
    RotatePoint(RotRadX, RotRadY, RotRadZ);
    return {F32((double)PointX + (double)bx), F32((double)PointY + (double)by)};
}

TPoint2 TurnedVertex(const float* vertices, int32_t i, float bx, float by) {
    const float* v = vertices + (size_t)i * 3;
    return TurnedPoint(v[0], v[1], v[2], bx, by);
}
