// Mesh builders and their faces; vertex normals with and without crease angle and compaction.
#include "platform/scene/Normals.h"
#include "platform/scene/Root.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lumora::scene;

namespace {

MeshBuilderPtr NewMesh() {
    Root root;
    MeshBuilderPtr mesh;
    root.CreateMeshBuilder(mesh);
    return mesh;
}

// Two squares meeting at x = 0 with a fold of the given angle (radians) between them; every
// face has its own four vertices, as the mesh store builds them.
MeshBuilderPtr FoldedPair(float fold) {
    auto mesh = NewMesh();
    const float c = std::cos(fold), s = std::sin(fold);
    const Vector left[4] = {{-1, 0, 0}, {-1, 0, 1}, {0, 0, 1}, {0, 0, 0}};
    const Vector right[4] = {{0, 0, 0}, {0, 0, 1}, {c, s, 1}, {c, s, 0}};
    mesh->AddFace(left, 0xFEFF0000);
    mesh->AddFace(right, 0xFEFF0000);
    return mesh;
}

Vector CornerNormal(const MeshBuilder& mesh, std::size_t face, std::size_t corner) {
    return mesh.Normals()[mesh.FaceCorners(face)[corner].Normal];
}

} // namespace

TEST(MeshBuilder, FacesAddTheirOwnVerticesInOrder) {
    auto mesh = NewMesh();
    FacePtr face;
    ASSERT_EQ(mesh->CreateFace(face), Result::Ok);
    face->AddVertex(1, 2, 3);
    face->AddVertex(4, 5, 6);
    face->AddVertex(7, 8, 9);
    FacePtr second;
    mesh->CreateFace(second);
    second->AddVertex(1, 2, 3);
    EXPECT_EQ(mesh->GetFaceCount(), 2u);
    EXPECT_EQ(mesh->GetVertexCount(), 4u); // no sharing between faces
    EXPECT_EQ(face->GetVertexCount(), 3u);
    Vector p, n;
    ASSERT_EQ(face->GetVertex(1, p, n), Result::Ok);
    EXPECT_EQ(p, (Vector{4, 5, 6}));
    EXPECT_EQ(face->GetVertex(3, p, n), Result::BadValue);
}

TEST(MeshBuilder, FaceColourLastSetWinsAndRgbFloatsGiveFullAlpha) {
    auto mesh = NewMesh();
    FacePtr face;
    mesh->CreateFace(face);
    face->SetColor(0xFE0000FF);
    EXPECT_EQ(ColorAlpha(face->GetColor()), 254u);
    face->SetColorRGB(0, 0, 1);
    EXPECT_EQ(face->GetColor(), 0xFF0000FFu);
}

TEST(MeshBuilder, BuilderColourReachesExistingAndLaterFaces) {
    auto mesh = NewMesh();
    FacePtr first, second;
    mesh->CreateFace(first);
    mesh->SetColorRGB(128 / 255.0f, 128 / 255.0f, 128 / 255.0f);
    mesh->CreateFace(second);
    EXPECT_EQ(first->GetColor(), 0xFF808080u);
    EXPECT_EQ(second->GetColor(), 0xFF808080u);
}

TEST(MeshBuilder, FaceDataListsCountsThenIndicesWithNormalsOnceGenerated) {
    auto mesh = FoldedPair(0);
    EXPECT_EQ(mesh->GetFaceData(), (std::vector<std::uint32_t>{4, 0, 1, 2, 3, 4, 4, 5, 6, 7}));
    mesh->GenerateNormals(0, 0);
    const auto data = mesh->GetFaceData();
    ASSERT_EQ(data.size(), 2u + 16u);
    EXPECT_EQ(data[0], 4u);
    EXPECT_EQ(data[1], 0u); // vertex, then its normal
    EXPECT_EQ(data[2], 0u);
    EXPECT_EQ(data[3], 1u);
}

TEST(MeshBuilder, BoxOfAnEmptyMeshIsZero) {
    auto mesh = NewMesh();
    Box box;
    EXPECT_FALSE(mesh->GetBox(box));
    EXPECT_EQ(LargestSide(box), 0);
}

TEST(Normals, FaceNormalPointsOutOfAClockwiseFrontFace) {
    auto mesh = NewMesh();
    // The cube's side at z = -3 as the test objects build it, seen from outside (from -z).
    const Vector quad[4] = {{-3, -3, -3}, {-3, 3, -3}, {3, 3, -3}, {3, -3, -3}};
    mesh->AddFace(quad, 0);
    const Vector n = mesh->FaceNormal(0);
    EXPECT_FLOAT_EQ(n.Z, -1);
}

TEST(Normals, DegenerateFaceGetsZeroNormalWithoutNaN) {
    auto mesh = NewMesh();
    const Vector line[3] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    mesh->AddFace(line, 0);
    mesh->GenerateNormals(0.35f, kNormalsCompact | kNormalsUseCrease);
    const Vector n = CornerNormal(*mesh, 0, 0);
    EXPECT_FALSE(std::isnan(n.X));
    EXPECT_EQ(Length(n), 0);
}

TEST(Normals, WithoutCompactionUnsharedFacesKeepTheirFlatNormals) {
    auto mesh = FoldedPair(0.2f);
    mesh->GenerateNormals(0.35f, kNormalsUseCrease);
    EXPECT_EQ(mesh->GetVertexCount(), 8u);
    const Vector a = CornerNormal(*mesh, 0, 3), b = CornerNormal(*mesh, 1, 0);
    EXPECT_NEAR(a.Y, 1, 1e-6);
    EXPECT_NEAR(Dot(b, mesh->FaceNormal(1)), 1, 1e-6);
}

TEST(Normals, CompactionMergesEqualPositionsAndSmoothsBelowTheCrease) {
    auto mesh = FoldedPair(0.2f); // a fold of about 11.5 degrees
    mesh->GenerateNormals(20 / 57.2957795131f, kNormalsCompact | kNormalsUseCrease);
    EXPECT_EQ(mesh->GetVertexCount(), 6u);
    const Vector a = CornerNormal(*mesh, 0, 3), b = CornerNormal(*mesh, 1, 0);
    EXPECT_EQ(a, b); // one shared normal along the fold
    EXPECT_NEAR(std::acos(Dot(a, mesh->FaceNormal(0))), 0.1f, 1e-4);
    EXPECT_EQ(mesh->FaceCorners(0)[3].Normal, mesh->FaceCorners(1)[0].Normal);
}

TEST(Normals, CompactionSplitsNormalsAboveTheCrease) {
    auto mesh = FoldedPair(1.0f); // about 57 degrees
    mesh->GenerateNormals(20 / 57.2957795131f, kNormalsCompact | kNormalsUseCrease);
    EXPECT_EQ(mesh->GetVertexCount(), 6u);
    EXPECT_NEAR(Dot(CornerNormal(*mesh, 0, 3), mesh->FaceNormal(0)), 1, 1e-6);
    EXPECT_NEAR(Dot(CornerNormal(*mesh, 1, 0), mesh->FaceNormal(1)), 1, 1e-6);
    EXPECT_EQ(mesh->GetNormalCount(), 8u); // two at each of the shared vertices
}

TEST(Normals, WithoutCreaseEveryVertexGetsOneMeanNormal) {
    auto mesh = FoldedPair(1.0f);
    mesh->GenerateNormals(0, kNormalsCompact);
    EXPECT_EQ(mesh->GetNormalCount(), mesh->GetVertexCount());
    const Vector shared = CornerNormal(*mesh, 0, 3);
    EXPECT_NEAR(std::acos(Dot(shared, mesh->FaceNormal(0))), 0.5f, 1e-4);
}

TEST(Normals, CompactionKeepsTheFirstTextureCoordinates) {
    auto mesh = FoldedPair(0);
    mesh->SetTextureCoordinates(3, 0.25f, 0.75f); // left square's corner at the origin
    mesh->SetTextureCoordinates(4, 0.5f, 0.5f);   // the same point in the right square
    mesh->GenerateNormals(0, kNormalsCompact);
    const auto& corner = mesh->FaceCorners(1)[0];
    EXPECT_EQ(mesh->TextureCoordinates()[corner.Vertex].U, 0.25f);
}
