// The mesh store: splitting into meshes, names and kinds, colours, transparency, counting and
// removing visuals.
#include "passage/MeshStore.h"

#include <gtest/gtest.h>

using namespace lumora::scene;
using lumora::passage::TMeshArray;
namespace passage = lumora::passage;

namespace {

void AddTriangles(TMeshArray& store, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const float x = float(i);
        store.AddTriangle(0x0000FF, {x, 0, 0}, {x, 1, 0}, {x + 1, 0, 0});
    }
}

} // namespace

TEST(MeshStore, FreshStoreHasMeshOneWithKindAndGray) {
    Root root;
    TMeshArray store(root, 1, "walls");
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(store.Mesh(1)->GetName(), "MeshName1");
    EXPECT_EQ(store.Mesh(1)->GetAppData(), 1u);
    EXPECT_EQ(store.Mesh(1)->GetColor(), 0xFF808080u);
}

TEST(MeshStore, The20001stTriangleStaysInMeshOneAndTheNextStartsMeshTwo) {
    Root root;
    TMeshArray store(root, 1, "walls");
    AddTriangles(store, 20001);
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(store.Mesh(1)->GetFaceCount(), 20001u);
    AddTriangles(store, 1);
    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(store.Mesh(2)->GetName(), "MeshName2");
    EXPECT_EQ(store.Mesh(2)->GetFaceCount(), 1u);
}

TEST(MeshStore, AQuadThatFillsTheMeshStartsTheNextAtOnce) {
    Root root;
    TMeshArray store(root, 1, "walls");
    AddTriangles(store, 20000);
    store.AddQuad(0xFF, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}); // face 20001
    EXPECT_EQ(store.Count(), 2); // the check after the quad already opened mesh 2
    EXPECT_EQ(store.Mesh(1)->GetFaceCount(), 20001u);
    EXPECT_EQ(store.Mesh(2)->GetFaceCount(), 0u);
}

TEST(MeshStore, AfterOneHundredMeshesFacesKeepGoingIntoTheLast) {
    Root root;
    TMeshArray store(root, 1, "walls");
    for (int i = 0; i < 100; ++i)
        AddTriangles(store, 20001);
    AddTriangles(store, 5);
    EXPECT_EQ(store.Count(), 100);
    EXPECT_EQ(store.Mesh(100)->GetFaceCount(), 20006u);
}

TEST(MeshStore, ColoursConvertWithRedInTheLowestByteAndAlpha254) {
    EXPECT_EQ(passage::PackedColor(0xFF0000), 0xFE0000FFu); // framework blue
    EXPECT_EQ(passage::PackedColor(0x0000FF), 0xFEFF0000u); // framework red
    const Vector green = passage::FloatColor(0x008000);
    EXPECT_FLOAT_EQ(green.Y, 128 / 255.0f);
    EXPECT_EQ(green.X, 0);
    Root root;
    TMeshArray store(root, 1, "walls");
    store.AddQuad(0x0000FF, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0});
    EXPECT_EQ(store.Mesh(1)->FaceColor(0) & 0xFFFFFF, 0xFF0000u);
}

TEST(MeshStore, SetTransparencyGivesAlpha255And127And0) {
    Root root;
    TMeshArray store(root, 1, "walls");
    AddTriangles(store, 3);
    auto& mesh = *store.Mesh(1);
    for (auto [percent, alpha] : {std::pair{0, 255u}, {50, 127u}, {100, 0u}}) {
        passage::SetTransparency(mesh, percent);
        for (const Color color : mesh.FaceColors()) {
            EXPECT_EQ(ColorAlpha(color), alpha) << percent;
            EXPECT_EQ(color & 0xFFFFFF, 0xFF0000u); // RGB kept
        }
    }
}

TEST(MeshStore, AttachToAddsEveryMeshWithOneShinyMaterial) {
    Root root;
    FramePtr frame;
    root.CreateFrame(nullptr, frame);
    TMeshArray store(root, 1, "walls");
    AddTriangles(store, 20002);
    ASSERT_EQ(store.AttachTo(*frame), Result::Ok);
    ASSERT_EQ(frame->GetVisuals().size(), 2u);
    EXPECT_EQ(store.Mesh(2)->GetMaterial()->GetPower(), 100000);
    EXPECT_EQ(store.Mesh(1)->GetMaterial(), store.Mesh(2)->GetMaterial());
    std::size_t faces = 0, vertices = 0;
    passage::CountFacesAndVertices(*frame, faces, vertices);
    EXPECT_EQ(faces, 20002u);
    EXPECT_EQ(vertices, 3 * 20002u);
}

TEST(MeshStore, RemoveVisualByKindRemovesOnlyTheFirstAndSearchesChildren) {
    Root root;
    FramePtr frame, child;
    root.CreateFrame(nullptr, frame);
    root.CreateFrame(frame, child);
    MeshBuilderPtr walls, shots1, shots2;
    passage::CreateNamedMeshBuilder(root, 1, 0xFFFFFF, "walls", walls);
    passage::CreateNamedMeshBuilder(root, 2, 0xFFFFFF, "shots", shots1);
    passage::CreateNamedMeshBuilder(root, 2, 0xFFFFFF, "shots", shots2);
    frame->AddVisual(walls);
    child->AddVisual(shots1);
    child->AddVisual(shots2);
    EXPECT_TRUE(passage::RemoveVisualByKind(*frame, 2));
    ASSERT_EQ(child->GetVisuals().size(), 1u);
    EXPECT_EQ(child->GetVisuals()[0], shots2);
    EXPECT_TRUE(passage::RemoveVisualByName(*frame, "walls"));
    EXPECT_FALSE(passage::RemoveVisualByName(*frame, "wall"));
    EXPECT_EQ(frame->GetChildren().size(), 1u); // frames are searched, not removed
}

TEST(MeshStore, ClearFrameEmptiesTheWholeTree) {
    Root root;
    FramePtr frame, child, grandchild;
    root.CreateFrame(nullptr, frame);
    root.CreateFrame(frame, child);
    root.CreateFrame(child, grandchild);
    TMeshArray store(root, 1, "walls");
    store.AttachTo(*grandchild);
    store.AttachTo(*frame);
    passage::ClearFrame(*frame);
    EXPECT_TRUE(frame->GetVisuals().empty());
    EXPECT_TRUE(frame->GetChildren().empty());
    EXPECT_TRUE(grandchild->GetVisuals().empty());
}

TEST(MeshStore, NamesAreReadAsA40CharacterBufferHoldsThem) {
    Root root;
    MeshBuilderPtr mesh;
    passage::CreateNamedMeshBuilder(root, 0, 0, std::string(50, 'n'), mesh);
    EXPECT_EQ(passage::ObjectName(mesh.get()).size(), 39u);
    EXPECT_EQ(passage::ObjectClassName(mesh.get()), "Builder");
    EXPECT_EQ(passage::ObjectName(nullptr), "");
}
