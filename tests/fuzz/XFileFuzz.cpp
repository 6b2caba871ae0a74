// Fuzz target: the .x writer, text and binary, on meshes made of arbitrary bytes, followed by our
// import of what it wrote.
#include "FuzzMesh.h"
#include "FuzzSupport.h"

#include "platform/scene/MeshFileWriter.h"
#include "platform/scene/MeshImport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumora;
    scene::Root root;
    const scene::FramePtr model = fuzz::MeshesFromBytes(root, data, size);
    for (bool text : {true, false}) {
        const std::string file = fuzz::Scratch().File(text ? "mesh-text.x" : "mesh-binary.x");
        if (scene::WriteMeshFile(*model, file, text, {}) != scene::Result::Ok)
            continue;
        scene::ImportedMesh imported;
        scene::ImportMeshFile(file, false, imported);
    }
    return 0;
}
