// The 3D wire-frame view: the faces of every placement and every car in the nine cells around the current
// actor, turned into the camera's frame, projected and drawn as lines on the back buffer. An edge is drawn
// only when both its ends lie in front of the camera; there is no clipping and no hidden-line removal.
#include "exact/Numeric.h"
#include "scene/IndexList.h"
#include "scene/Scene.h"
#include "world/DatenStruktur.h"
#include "world/World.h"

namespace {

constexpr int32_t CurrentActorColor = RGBColor(0, 110, 0);

// Where the vertices of one walked part come from: a placement in a cell, or an actor.
struct TVertexSource {
    const float* Vertices;
    double BaseX, BaseY, BaseZ; // model origin in the world
    float ViewRadZ;             // the camera's turn about z for this model
};

// The vertices of the model being drawn, once carried into screen space. Its index lists name most
// vertices several times (neighbouring polygons share corners) and every part of it uses the same
// transform, which gives the same point each time: each vertex is transformed once per model and frame.
constexpr int32_t KeptVertices = 64;
struct TKeptVertex {
    uint32_t Model; // the model walk that transformed it; 0 never
    float X, Y, Z;
};
TKeptVertex Kept[KeptVertices];
uint32_t ModelWalk;

// The model's turn and the camera's, worked out at the model's first transformed vertex: where
// RotatePoint would first have looked them up.
bool TurnsKnown;
TTurn ModelTurn;
TTurn ViewTurn;

void BeginModelWalk() {
    TurnsKnown = false;
    if (++ModelWalk == 0) {
        for (TKeptVertex& kept : Kept)
            kept.Model = 0;
        ModelWalk = 1;
    }
}

// Loads vertex i and carries it into screen space: model turn, world position, camera turn, projection.
void TransformVertex(const TVertexSource& source, int32_t i) {
    if (!TurnsKnown) {
        ModelTurn = TurnFor(RotRadX, RotRadY, RotRadZ);
        ViewTurn = TurnFor(CamRadX, CamRadY, source.ViewRadZ);
        TurnsKnown = true;
    }
    const float* v = source.Vertices + (size_t)i * 3;
    PointX = v[0];
    PointY = v[1];
    PointZ = v[2];
    RotatePointBy(ModelTurn);
    PointX = F32(source.BaseX + (double)PointX - (double)CamPosX);
    PointY = F32(source.BaseY + (double)PointY - (double)CamPosY);
    PointZ = F32(source.BaseZ + (double)PointZ - (double)CamPosZ);
    RotatePointBy(ViewTurn);
    ProjectPoint();
}

// Vertex i in screen space in the point register, transformed now or kept from earlier in this model.
void LoadScreenVertex(const TVertexSource& source, int32_t i) {
    TKeptVertex* kept = i >= 0 && i < KeptVertices ? &Kept[i] : nullptr;
    if (kept != nullptr && kept->Model == ModelWalk) {
        PointX = kept->X;
        PointY = kept->Y;
        PointZ = kept->Z;
        return;
    }
    TransformVertex(source, i);
    if (kept != nullptr) *kept = TKeptVertex{ModelWalk, PointX, PointY, PointZ};
}

// A point in screen space: x and y in pixels, z the depth (in front of the camera below 0).
struct TScreenPoint {
    float X, Y, Z;
};

// Draws one index list: an edge appears only when both of its ends have depth below 0, and a point behind
// the camera breaks the line.
void DrawIndexList(const TVertexSource& source, const int32_t* indices, int32_t color) {
    const auto pointOf = [&](int32_t i) {
        LoadScreenVertex(source, i);
        return TScreenPoint{PointX, PointY, PointZ};
    };
    bool penSet = false; // the pen takes the colour at the list's first point in front of the camera
    WalkIndexList(indices, pointOf, [&](TScreenPoint point, TScreenPoint previous, bool starts, bool closes) {
        if (closes) {
            // The point register holds the polygon's first point again, as after loading it.
            PointX = point.X;
            PointY = point.Y;
            PointZ = point.Z;
        }
        if (point.Z < 0.0f) {
            if (!penSet) CanvasSetPenColor(&BackBuffer, color);
            penSet = true;
            const int32_t sx = TruncToInt32(point.X), sy = TruncToInt32(point.Y);
            if (starts)
                CanvasMoveTo(&BackBuffer, sx, sy);
            else if (previous.Z < 0.0f)
                CanvasLineTo(&BackBuffer, sx, sy);
            else if (previous.Z > 0.0f)
                CanvasMoveTo(&BackBuffer, sx, sy);
        }
        return true;
    });
}

// Every face part of a model, each in its own colour or in the one given.
void DrawModelFaces(const TObjekt& model, const TVertexSource& source, const int32_t* overrideColor) {
    if (model.Vertices == nullptr) return;
    BeginModelWalk();
    const int32_t parts =
        model.PartCount < (int32_t)model.Parts.size() ? model.PartCount : (int32_t)model.Parts.size();
    for (int32_t p = 0; p < parts; p++) {
        const TModelPart& part = model.Parts[(size_t)p];
        if (part.PartKind != FacesPart || part.Indices == nullptr) continue;
        DrawIndexList(source, part.Indices, overrideColor != nullptr ? *overrideColor : part.Color);
    }
}

void DrawPlacements(const TQuadrant& cell) {
    for (int32_t p = 0; p < PlacementsIn(cell); p++) {
        const TPlacement& placement = cell.Placements[(size_t)p];
        LoadRotation(placement.AngleX, placement.AngleY, placement.AngleZ);
        const TObjekt* model = ObjectAt(placement.ObjectIndex);
        if (model == nullptr) continue;
        const TVertexSource source{model->Vertices, (double)cell.OriginX + (double)placement.X,
                                   (double)cell.OriginY + (double)placement.Y,
                                   (double)cell.OriginZ + (double)placement.Z, CamRadZ};
        DrawModelFaces(*model, source, nullptr);
    }
}

// The current actor turns with the camera while CameraTurnsWithActor is set: its own angles are then
// ignored before the bonnet preset and only its heading is used from there on.
void DrawActors(int32_t q) {
    for (int32_t a = 0; a < ActorsInPlay(); a++) {
        const TActor& actor = Actors[(size_t)a];
        if (actor.QuadIndex != q) continue;
        const bool current = a == CurrentActor;
        const bool turnsWithCamera = current && CameraTurnsWithActor != 0;
        LoadRotation(turnsWithCamera ? 0.0f : actor.AngleX, turnsWithCamera ? 0.0f : actor.AngleY,
                     turnsWithCamera && CameraPreset < BonnetPreset ? 0.0f : actor.AngleZ);
        const TObjekt* model = ObjectAt(actor.ModelIndex);
        if (model == nullptr) continue;
        const TVertexSource source{model->Vertices, (double)actor.PosX, (double)actor.PosY,
                                   (double)actor.PosZ, turnsWithCamera ? 0.0f : CamRadZ};
        DrawModelFaces(*model, source, current ? &CurrentActorColor : nullptr);
    }
}

} // namespace

void DrawWorldView() {
    CamRadX = DegToRad(CamAngleX);
    CamRadY = DegToRad(CamAngleY);
    CamRadZ = DegToRad(CamAngleZ);
    const TActor* followed = CurrentActorIfAny();
    if (followed == nullptr) return;
    // Wide loop counters: a cell number far outside the grid cannot overflow them.
    const int64_t row0 = followed->QuadRow, col0 = followed->QuadCol;
    for (int64_t r = row0 - 1; r <= row0 + 1; r++) {
        if (r < 0 || r >= GridSize) continue;
        for (int64_t c = col0 - 1; c <= col0 + 1; c++) {
            if (c < 0 || c >= GridSize) continue;
            const int32_t q = (int32_t)(r * GridSize + c);
            const TQuadrant* cell = CellAt(q);
            if (cell == nullptr) continue;
            DrawPlacements(*cell);
            DrawActors(q);
        }
    }
}
