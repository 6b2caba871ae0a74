#include "platform/scene/GltfWriter.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <new>
#include <string_view>
#include <tuple>

namespace lumora::scene {

namespace {

using nlohmann::json;

constexpr int kUnsignedShort = 5123, kUnsignedInt = 5125, kFloat = 5126;
constexpr int kArrayBuffer = 34962, kElementArrayBuffer = 34963;
constexpr int kLinear = 9729, kLinearMipmapLinear = 9987, kRepeat = 10497;
constexpr std::uint32_t kGlbMagic = 0x46546C67, kJsonChunk = 0x4E4F534A, kBinChunk = 0x004E4942;
const char* const kUnlit = "KHR_materials_unlit";

std::string Base64(const std::string& bytes) {
    static const char* const digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 3; ++k)
            word = word << 8 | (k < n ? std::uint8_t(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? digits[word >> (18 - 6 * k) & 0x3F] : '=';
    }
    return out;
}

// The JSON document and its one binary buffer, filled mesh by mesh. The buffer is kept as a list
// of pieces that point into the converted meshes, so its bytes are never copied before they are
// written.
class GltfBuilder {
public:
    explicit GltfBuilder(const GltfOptions& options) : m_Options(options) {}

    void AddNode(const MeshBuilder& mesh) {
        json node = {{"name", mesh.GetName()}};
        const GltfMesh& converted =
            m_Converted.emplace_back(ConvertToGltf(mesh, m_Options.MetresPerUnit));
        if (!converted.Primitives.empty()) {
            json primitives = json::array();
            for (const GltfPrimitive& p : converted.Primitives)
                primitives.push_back(Primitive(p, converted.Unlit));
            node["mesh"] = m_Meshes.size();
            m_Meshes.push_back({{"name", mesh.GetName()}, {"primitives", std::move(primitives)}});
        }
        m_Nodes.push_back(std::move(node));
        ++Counts.Nodes;
    }

    // The whole document; the buffer is the pieces, or embedded as a data URI when text.
    json Document(bool text) {
        json doc = {{"asset", Asset()}};
        json scene = {{"name", m_Options.Place.Known ? m_Options.Place.Source : "Model"}};
        if (!m_Nodes.empty()) {
            json nodes = json::array();
            for (std::size_t i = 0; i < m_Nodes.size(); ++i)
                nodes.push_back(i);
            scene["nodes"] = std::move(nodes);
            doc["nodes"] = std::move(m_Nodes);
        }
        doc["scene"] = 0;
        doc["scenes"] = json::array({std::move(scene)});
        if (!m_Textures.empty())
            doc["samplers"] = json::array({{{"magFilter", kLinear},
                                            {"minFilter", kLinearMipmapLinear},
                                            {"wrapS", kRepeat},
                                            {"wrapT", kRepeat}}});
        Put(doc, "meshes", m_Meshes);
        Put(doc, "materials", m_Materials);
        Put(doc, "textures", m_Textures);
        Put(doc, "images", m_Images);
        Put(doc, "accessors", m_Accessors);
        Put(doc, "bufferViews", m_Views);
        if (BinSize > 0) {
            json buffer = {{"byteLength", BinSize}};
            if (text)
                buffer["uri"] = "data:application/octet-stream;base64," + Base64(Bin());
            doc["buffers"] = json::array({std::move(buffer)});
        }
        if (m_UsesUnlit)
            doc["extensionsUsed"] = json::array({kUnlit});
        return doc;
    }

    // The binary buffer as written: the pieces in order, each 4-byte aligned.
    std::vector<std::string_view> Pieces;
    std::size_t BinSize = 0;
    GltfCounts Counts;

    std::string Bin() const {
        std::string bin;
        bin.reserve(BinSize);
        for (std::string_view piece : Pieces)
            bin += piece;
        return bin;
    }

private:
    static void Put(json& doc, const char* key, json& items) {
        if (!items.empty())
            doc[key] = std::move(items);
    }

    json Asset() const {
        json asset = {{"version", "2.0"}, {"generator", m_Options.Generator}};
        const GltfPlace& place = m_Options.Place;
        if (!place.Known)
            return asset;
        json extras = {{"source", place.Source},
                       {"units", "metres"},
                       {"axes", "x east, y up, z south; positions relative to the centre"},
                       {"centerEastNorthUp",
                        json::array({place.CenterEast, place.CenterNorth, place.CenterUp})}};
        if (place.UtmZone != 0)
            extras["utmZone"] = place.UtmZone;
        if (!place.Datum.empty())
            extras["datum"] = place.Datum;
        asset["extras"] = std::move(extras);
        return asset;
    }

    // A buffer view of bytes (which must stay where they are until written) at the end of the
    // buffer, 4-byte aligned.
    std::size_t View(const void* data, std::size_t bytes, int target) {
        static const char kZeros[4] = {};
        if (const std::size_t pad = (4 - BinSize % 4) % 4) {
            Pieces.emplace_back(kZeros, pad);
            BinSize += pad;
        }
        json view = {{"buffer", 0}, {"byteOffset", BinSize}, {"byteLength", bytes}};
        if (target != 0)
            view["target"] = target;
        Pieces.emplace_back(static_cast<const char*>(data), bytes);
        BinSize += bytes;
        m_Views.push_back(std::move(view));
        return m_Views.size() - 1;
    }

    template <typename T>
    std::size_t Accessor(const std::vector<T>& values, int components, const char* type,
                         int componentType, int target, bool normalized = false) {
        json accessor = {{"bufferView", View(values.data(), values.size() * sizeof(T), target)},
                         {"componentType", componentType},
                         {"count", values.size() / std::size_t(components)},
                         {"type", type}};
        if (normalized)
            accessor["normalized"] = true;
        m_Accessors.push_back(std::move(accessor));
        return m_Accessors.size() - 1;
    }

    std::size_t Positions(const std::vector<float>& p) {
        float min[3] = {p[0], p[1], p[2]}, max[3] = {p[0], p[1], p[2]};
        for (std::size_t i = 0; i < p.size(); ++i) {
            min[i % 3] = std::min(min[i % 3], p[i]);
            max[i % 3] = std::max(max[i % 3], p[i]);
        }
        const std::size_t index = Accessor(p, 3, "VEC3", kFloat, kArrayBuffer);
        m_Accessors[index]["min"] = {min[0], min[1], min[2]};
        m_Accessors[index]["max"] = {max[0], max[1], max[2]};
        return index;
    }

    std::size_t Indices(const GltfPrimitive& p) {
        // 65535 is the restart value of 16-bit indices, so it is never a vertex's index.
        if (p.VertexCount() < 0xFFFF) {
            const auto& shortIndices =
                m_ShortIndices.emplace_back(p.Indices.begin(), p.Indices.end());
            return Accessor(shortIndices, 1, "SCALAR", kUnsignedShort, kElementArrayBuffer);
        }
        return Accessor(p.Indices, 1, "SCALAR", kUnsignedInt, kElementArrayBuffer);
    }

    // The texture of a picture, made once per picture; -1 when it cannot be encoded.
    int TextureOf(const TexturePtr& texture) {
        const auto known = m_TextureIndex.find(texture.get());
        if (known != m_TextureIndex.end())
            return known->second;
        int index = -1;
        const std::string& png = m_Pngs.emplace_back(texture->PngBytes());
        if (!png.empty()) {
            json image = {{"bufferView", View(png.data(), png.size(), 0)},
                          {"mimeType", "image/png"}};
            if (!texture->GetName().empty())
                image["name"] = texture->GetName();
            m_Images.push_back(std::move(image));
            m_Textures.push_back({{"sampler", 0}, {"source", m_Images.size() - 1}});
            index = int(m_Textures.size() - 1);
        }
        m_TextureIndex[texture.get()] = index;
        return index;
    }

    std::size_t MaterialOf(int texture, bool unlit, bool translucent) {
        const auto key = std::make_tuple(texture, unlit, translucent);
        const auto known = m_MaterialIndex.find(key);
        if (known != m_MaterialIndex.end())
            return known->second;
        json pbr = {
            {"baseColorFactor", {1, 1, 1, 1}}, {"metallicFactor", 0}, {"roughnessFactor", 1}};
        if (texture >= 0)
            pbr["baseColorTexture"] = {{"index", texture}};
        json material = {{"name", std::string(texture >= 0 ? "Textured" : "Coloured") +
                                      (unlit ? " unlit" : "") +
                                      (translucent ? " translucent" : "")},
                         {"pbrMetallicRoughness", std::move(pbr)}};
        if (translucent)
            material["alphaMode"] = "BLEND";
        if (unlit) {
            material["extensions"] = {{kUnlit, json::object()}};
            m_UsesUnlit = true;
        }
        m_Materials.push_back(std::move(material));
        return m_MaterialIndex[key] = m_Materials.size() - 1;
    }

    json Primitive(const GltfPrimitive& p, bool unlit) {
        json attributes = {{"POSITION", Positions(p.Positions)}};
        if (!p.Normals.empty())
            attributes["NORMAL"] = Accessor(p.Normals, 3, "VEC3", kFloat, kArrayBuffer);
        attributes["COLOR_0"] = Accessor(p.Colors, 4, "VEC4", kUnsignedShort, kArrayBuffer, true);
        const int texture = p.Texture ? TextureOf(p.Texture) : -1;
        if (texture >= 0)
            attributes["TEXCOORD_0"] = Accessor(p.TexCoords, 2, "VEC2", kFloat, kArrayBuffer);
        json primitive = {{"attributes", std::move(attributes)},
                          {"indices", Indices(p)},
                          {"material", MaterialOf(texture, unlit, p.Translucent)},
                          {"mode", int(p.Mode)}};
        Counts.Vertices += p.VertexCount();
        (p.Mode == GltfMode::Triangles ? Counts.Triangles
         : p.Mode == GltfMode::Lines   ? Counts.Lines
                                       : Counts.Points) += p.ElementCount();
        return primitive;
    }

    const GltfOptions& m_Options;
    json m_Nodes = json::array(), m_Meshes = json::array(), m_Materials = json::array();
    json m_Textures = json::array(), m_Images = json::array();
    json m_Accessors = json::array(), m_Views = json::array();
    std::map<const Texture*, int> m_TextureIndex;
    std::map<std::tuple<int, bool, bool>, std::size_t> m_MaterialIndex;
    bool m_UsesUnlit = false;
    // What the pieces point into; deques keep their elements in place as they grow.
    std::deque<GltfMesh> m_Converted;
    std::deque<std::vector<std::uint16_t>> m_ShortIndices;
    std::deque<std::string> m_Pngs;
};

void AppendWord(std::string& out, std::uint32_t word) {
    for (int i = 0; i < 4; ++i)
        out += char(word >> (8 * i) & 0xFF); // little-endian
}

// The GLB container's header and JSON chunk, and the header of its binary chunk: the binary
// bytes themselves follow, then padding to 4.
std::string GlbHead(std::string json, std::size_t binSize) {
    json.append((4 - json.size() % 4) % 4, ' ');
    const std::size_t binPadded = (binSize + 3) / 4 * 4;
    const std::size_t total = 12 + 8 + json.size() + (binSize == 0 ? 0 : 8 + binPadded);
    std::string head;
    AppendWord(head, kGlbMagic);
    AppendWord(head, 2);
    AppendWord(head, std::uint32_t(total));
    AppendWord(head, std::uint32_t(json.size()));
    AppendWord(head, kJsonChunk);
    head += json;
    if (binSize > 0) {
        AppendWord(head, std::uint32_t(binPadded));
        AppendWord(head, kBinChunk);
    }
    return head;
}

std::string_view BinPadding(std::size_t binSize) {
    return std::string_view("\0\0\0", (4 - binSize % 4) % 4);
}

// Every mesh builder of the frame, in order, into the builder.
void AddMeshes(GltfBuilder& builder, const Frame& modelFrame) {
    for (const VisualPtr& visual : modelFrame.GetVisuals())
        if (const auto* mesh = dynamic_cast<const MeshBuilder*>(visual.get()))
            builder.AddNode(*mesh);
}

} // namespace

std::string GltfFileBytes(const Frame& modelFrame, const GltfOptions& options, GltfCounts* counts) {
    GltfBuilder builder(options);
    AddMeshes(builder, modelFrame);
    if (counts)
        *counts = builder.Counts;
    std::string json = builder.Document(!options.Binary).dump();
    if (!options.Binary)
        return json;
    return GlbHead(std::move(json), builder.BinSize) + builder.Bin() +
           std::string(BinPadding(builder.BinSize));
}

Result WriteGltfFile(const Frame& modelFrame, const std::string& path, const GltfOptions& options,
                     std::string* reason, GltfCounts* counts) {
    try {
        platform::TSafeFile file(path);
        try {
            GltfBuilder builder(options);
            AddMeshes(builder, modelFrame);
            std::string json = builder.Document(!options.Binary).dump();
            if (options.Binary) {
                file.Write(GlbHead(std::move(json), builder.BinSize));
                for (std::string_view piece : builder.Pieces)
                    file.Write(piece);
                file.Write(BinPadding(builder.BinSize));
            } else {
                file.Write(json);
            }
            file.Commit();
            if (counts)
                *counts = builder.Counts;
        } catch (const std::bad_alloc&) {
            throw WriteError(path + ": " + std::strerror(ENOMEM));
        }
        return Result::Ok;
    } catch (const WriteError& e) {
        if (reason)
            *reason = e.what();
    }
    return Result::WriteFailed;
}

bool IsGltfTextPath(const std::string& path) {
    if (path.size() < 5)
        return false;
    std::string end = path.substr(path.size() - 5);
    std::transform(end.begin(), end.end(), end.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return end == ".gltf";
}

} // namespace lumora::scene
