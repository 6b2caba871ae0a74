// Fuzz target: the glTF writer, binary and text, on meshes made of arbitrary bytes.
#include "FuzzMesh.h"

#include "platform/scene/GltfWriter.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumora;
    scene::Root root;
    const scene::FramePtr model = fuzz::MeshesFromBytes(root, data, size);
    for (bool binary : {true, false}) {
        scene::GltfOptions options;
        options.Binary = binary;
        scene::GltfCounts counts;
        const std::string bytes = scene::GltfFileBytes(*model, options, &counts);
        // A file always has its header (binary) or its JSON object (text).
        if (bytes.empty())
            std::abort();
    }
    return 0;
}
