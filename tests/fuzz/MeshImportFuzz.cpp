// Fuzz target: our mesh-import wrapper on arbitrary bytes given as a .x file, and the imported
// mesh added to a mesh builder.
#include "FuzzSupport.h"

#include "platform/scene/MeshImport.h"
#include "platform/scene/Root.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumora;
    const std::string file = fuzz::Scratch().File("mesh.x");
    fuzz::WriteBytes(file, data, size);
    scene::ImportedMesh imported;
    // A file the importer hangs on costs a second, not the ten a user's file is given.
    if (scene::ImportMeshFile(file, size % 2 == 0, imported, std::chrono::seconds(1)) !=
        scene::Result::Ok)
        return 0;
    scene::Root root;
    scene::MeshBuilderPtr mesh;
    root.CreateMeshBuilder(mesh);
    scene::AppendImported(*mesh, imported);
    return 0;
}
