#include "platform/scene/MeshImport.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <string_view>
#include <type_traits>
#include <vector>

// Present only in a sanitized build; null otherwise.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace lumora::scene {

namespace {

ImportedMaterial ReadMaterial(const aiMaterial& source) {
    ImportedMaterial m;
    aiString name;
    source.Get(AI_MATKEY_NAME, name);
    aiColor4D diffuse(1, 1, 1, 1);
    if (source.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse) == AI_SUCCESS &&
        std::string(name.C_Str()) != AI_DEFAULT_MATERIAL_NAME) {
        m.Diffuse = ColorFromRGBA(diffuse.r, diffuse.g, diffuse.b, diffuse.a);
        m.HasColor = true;
    }
    source.Get(AI_MATKEY_SHININESS, m.Power);
    aiColor3D color;
    if (source.Get(AI_MATKEY_COLOR_SPECULAR, color) == AI_SUCCESS)
        m.Specular = {color.r, color.g, color.b};
    if (source.Get(AI_MATKEY_COLOR_EMISSIVE, color) == AI_SUCCESS)
        m.Emissive = {color.r, color.g, color.b};
    aiString texture;
    if (source.GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS)
        m.TextureFile = texture.C_Str();
    return m;
}

void AppendMesh(const aiMesh& source, ImportedMesh& mesh) {
    const auto base = std::uint32_t(mesh.Positions.size());
    const bool normals = source.HasNormals();
    const bool coords = source.HasTextureCoords(0);
    for (unsigned i = 0; i < source.mNumVertices; ++i) {
        const aiVector3D& p = source.mVertices[i];
        mesh.Positions.push_back({p.x, p.y, p.z});
        mesh.Normals.push_back(
            normals ? Vector{source.mNormals[i].x, source.mNormals[i].y, source.mNormals[i].z}
                    : Vector{});
        mesh.TexCoords.push_back(
            coords ? TextureCoord{source.mTextureCoords[0][i].x, source.mTextureCoords[0][i].y}
                   : TextureCoord{});
    }
    for (unsigned f = 0; f < source.mNumFaces; ++f) {
        const aiFace& face = source.mFaces[f];
        if (face.mNumIndices < 3)
            continue; // points and lines are not faces
        ImportedFace out;
        out.Material = source.mMaterialIndex;
        for (unsigned c = 0; c < face.mNumIndices; ++c)
            out.Indices.push_back(base + face.mIndices[c]);
        mesh.Faces.push_back(std::move(out));
    }
}

// The reason of this thread's last failed import.
std::string& LastFailure() {
    thread_local std::string reason;
    return reason;
}

Result Fail(const std::string& reason, Result result) {
    LastFailure() = reason;
    return result;
}

// Why path cannot be read as a file, or empty when it can.
std::string OpenProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "Is a directory";
    if (!S_ISREG(info.st_mode))
        return "Not a regular file";
    if (::access(path.c_str(), R_OK) != 0)
        return std::strerror(errno);
    return {};
}

// The importer's own words on why it failed, without a trailing line break.
std::string ImporterReason(const Assimp::Importer& importer, const char* otherwise) {
    std::string text = importer.GetErrorString();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? otherwise : text;
}

bool AnyNormals(const aiScene& scene) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m)
        if (scene.mMeshes[m]->HasNormals())
            return true;
    return false;
}

// The importer's scene as plain arrays, or why it cannot be read.
Result ReadWithImporter(const std::string& path, unsigned flags, ImportedMesh& mesh,
                        std::string& reason) {
    try {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(path, flags);
        if (!scene || !scene->mRootNode) {
            reason = ImporterReason(importer, "not a mesh file that can be read");
            return Result::BadFile;
        }
        if (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) {
            reason = ImporterReason(importer, "the mesh file is incomplete");
            return Result::BadFile;
        }
        for (unsigned m = 0; m < scene->mNumMaterials; ++m)
            mesh.Materials.push_back(ReadMaterial(*scene->mMaterials[m]));
        for (unsigned m = 0; m < scene->mNumMeshes; ++m)
            AppendMesh(*scene->mMeshes[m], mesh);
        if (mesh.Faces.empty()) {
            reason = "no faces";
            return Result::BadFile;
        }
        if (!AnyNormals(*scene))
            mesh.Normals.clear();
        return Result::Ok;
    } catch (const std::exception& e) {
        reason = e.what();
        return Result::BadFile;
    }
}

// The child hands the mesh over as bytes: counts, then the arrays as they lie in memory (the
// same program on both ends of the pipe).
template <typename T> void PackArray(std::string& out, const std::vector<T>& items) {
    static_assert(std::is_trivially_copyable_v<T>);
    const std::uint64_t count = items.size();
    out.append(reinterpret_cast<const char*>(&count), sizeof count);
    if (!items.empty())
        out.append(reinterpret_cast<const char*>(items.data()), items.size() * sizeof(T));
}

template <typename T> bool UnpackArray(std::string_view& in, std::vector<T>& items) {
    std::uint64_t count = 0;
    if (in.size() < sizeof count)
        return false;
    std::memcpy(&count, in.data(), sizeof count);
    in.remove_prefix(sizeof count);
    if (count > in.size() / sizeof(T))
        return false;
    items.resize(count);
    if (count > 0) // an empty vector may have no storage at all
        std::memcpy(items.data(), in.data(), count * sizeof(T));
    in.remove_prefix(count * sizeof(T));
    return true;
}

std::string PackMesh(const ImportedMesh& mesh) {
    std::string out;
    PackArray(out, mesh.Positions);
    PackArray(out, mesh.Normals);
    PackArray(out, mesh.TexCoords);
    std::vector<std::uint32_t> faces; // per face: material, corner count, corners
    for (const ImportedFace& face : mesh.Faces) {
        faces.push_back(face.Material);
        faces.push_back(std::uint32_t(face.Indices.size()));
        faces.insert(faces.end(), face.Indices.begin(), face.Indices.end());
    }
    PackArray(out, faces);
    for (const ImportedMaterial& m : mesh.Materials) {
        const float numbers[] = {m.Power,      m.Specular.X, m.Specular.Y, m.Specular.Z,
                                 m.Emissive.X, m.Emissive.Y, m.Emissive.Z};
        PackArray(out, std::vector<float>(std::begin(numbers), std::end(numbers)));
        PackArray(out, std::vector<std::uint32_t>{m.Diffuse, m.HasColor ? 1u : 0u});
        PackArray(out, std::vector<char>(m.TextureFile.begin(), m.TextureFile.end()));
    }
    return out;
}

bool UnpackMesh(std::string_view in, ImportedMesh& mesh) {
    std::vector<std::uint32_t> faces;
    if (!UnpackArray(in, mesh.Positions) || !UnpackArray(in, mesh.Normals) ||
        !UnpackArray(in, mesh.TexCoords) || !UnpackArray(in, faces))
        return false;
    for (std::size_t at = 0; at < faces.size();) {
        if (faces.size() - at < 2 || faces[at + 1] > faces.size() - at - 2)
            return false;
        ImportedFace face;
        face.Material = faces[at];
        face.Indices.assign(faces.begin() + std::ptrdiff_t(at + 2),
                            faces.begin() + std::ptrdiff_t(at + 2 + faces[at + 1]));
        at += 2 + faces[at + 1];
        mesh.Faces.push_back(std::move(face));
    }
    while (!in.empty()) {
        std::vector<float> numbers;
        std::vector<std::uint32_t> colour;
        std::vector<char> texture;
        if (!UnpackArray(in, numbers) || numbers.size() != 7 || !UnpackArray(in, colour) ||
            colour.size() != 2 || !UnpackArray(in, texture))
            return false;
        ImportedMaterial m;
        m.Power = numbers[0];
        m.Specular = {numbers[1], numbers[2], numbers[3]};
        m.Emissive = {numbers[4], numbers[5], numbers[6]};
        m.Diffuse = colour[0];
        m.HasColor = colour[1] != 0;
        m.TextureFile.assign(texture.begin(), texture.end());
        mesh.Materials.push_back(std::move(m));
    }
    return true;
}

// Broken files can make the importer library read out of bounds, loop, or ask for many
// gigabytes (changed bytes in a .x file were enough), so the file is read in a child process
// with a memory budget: a crash there, or a read that takes longer than a file of that size ever
// needs, costs the child only. The child reads, hands over the mesh or the reason, and leaves.
struct TChildRead {
    enum TOutcome { Read, Refused, Broke, NoChild } Outcome = NoChild;
    std::string Bytes; // the packed mesh when Read; the importer's words when Refused
};

std::uintmax_t FileSize(const std::string& path) {
    std::error_code ignored;
    const std::uintmax_t size = std::filesystem::file_size(path, ignored);
    return size == std::uintmax_t(-1) ? 0 : size;
}

// The memory this process holds as its limit on data counts it (kB in /proc/self/status).
std::uint64_t DataBytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    unsigned long long kb = 0;
    char line[256];
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr)
        if (std::sscanf(line, "VmData: %llu kB", &kb) == 1)
            break;
    if (status != nullptr)
        std::fclose(status);
    return std::uint64_t{kb} << 10;
}

// Exit codes of the child; anything else (a signal, a sanitizer's report) means it broke.
constexpr int kChildRead = 10;
constexpr int kChildRefused = 11;
constexpr int kChildBroke = 12;

[[noreturn]] void ReadAndTell(const std::string& path, unsigned flags, int out) {
    // A crash here ends the child quietly: no crash handler of the program, no core file.
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(signal, SIG_DFL);
    // Under a sanitizer (tests, fuzzing) the importer's fault ends this child alone: the
    // parent's death callback (a fuzzer's crash report) must not run for it.
    if (__sanitizer_set_death_callback != nullptr)
        __sanitizer_set_death_callback(nullptr);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    const std::uint64_t budget = DataBytes() + (std::uint64_t{2} << 30) + 64 * FileSize(path);
    const rlimit limit{budget, budget};
    ::setrlimit(RLIMIT_DATA, &limit);
    ImportedMesh mesh;
    std::string reason;
    const bool read = ReadWithImporter(path, flags, mesh, reason) == Result::Ok;
    if (read)
        reason = PackMesh(mesh);
    for (std::size_t done = 0; done < reason.size();) {
        const ssize_t n = ::write(out, reason.data() + done, reason.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ::_exit(kChildBroke); // half a mesh is no mesh
        done += static_cast<std::size_t>(n);
    }
    ::_exit(read ? kChildRead : kChildRefused);
}

TChildRead ReadInChild(const std::string& path, unsigned flags,
                       std::chrono::milliseconds timeLimit) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return {}; // no child to read it in: it is read here
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        ReadAndTell(path, flags, pipeEnds[1]);
    }
    ::close(pipeEnds[1]);
    TChildRead told;
    const auto deadline =
        std::chrono::steady_clock::now() + timeLimit + std::chrono::seconds(FileSize(path) >> 20);
    bool killed = false;
    std::vector<char> buffer(1 << 16);
    while (child > 0) {
        pollfd wait{pipeEnds[0], POLLIN, 0};
        if (::poll(&wait, 1, 20) > 0) {
            const ssize_t n = ::read(pipeEnds[0], buffer.data(), buffer.size());
            if (n > 0) {
                told.Bytes.append(buffer.data(), static_cast<std::size_t>(n));
                continue;
            }
            if (n == 0 || errno != EINTR)
                break; // the child has left
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            killed = true;
            break;
        }
    }
    ::close(pipeEnds[0]);
    if (child < 0)
        return {}; // no child to read it in: it is read here
    // A signal (a timer's, say) may cut the wait short: waiting again, not reading the file
    // unguarded, is what keeps a file the importer hangs on out of this process.
    int status = 0;
    pid_t waited;
    do
        waited = ::waitpid(child, &status, 0);
    while (waited < 0 && errno == EINTR);
    if (waited != child)
        return {};
    told.Outcome = TChildRead::Read;
    if (killed || !WIFEXITED(status) ||
        (WEXITSTATUS(status) != kChildRead && WEXITSTATUS(status) != kChildRefused))
        told.Outcome = TChildRead::Broke;
    else if (WEXITSTATUS(status) == kChildRefused)
        told.Outcome = TChildRead::Refused;
    return told;
}

} // namespace

Result ImportMeshFile(const std::string& path, bool triangulate, ImportedMesh& mesh) {
    return ImportMeshFile(path, triangulate, mesh, std::chrono::seconds(10));
}

Result ImportMeshFile(const std::string& path, bool triangulate, ImportedMesh& mesh,
                      std::chrono::milliseconds timeLimit) {
    std::string& reason = LastFailure();
    reason.clear();
    if (const std::string problem = OpenProblem(path); !problem.empty())
        return Fail(problem, Result::FileNotFound);
    unsigned flags = aiProcess_ConvertToLeftHanded | aiProcess_PreTransformVertices |
                     aiProcess_ValidateDataStructure;
    if (triangulate)
        flags |= aiProcess_Triangulate | aiProcess_JoinIdenticalVertices;
    const TChildRead told = ReadInChild(path, flags, timeLimit);
    if (told.Outcome == TChildRead::Broke)
        return Fail("the importer cannot read this file", Result::BadFile);
    if (told.Outcome == TChildRead::Refused)
        return Fail(told.Bytes, Result::BadFile);
    ImportedMesh result;
    if (told.Outcome == TChildRead::Read) {
        if (!UnpackMesh(told.Bytes, result))
            return Fail("the importer cannot read this file", Result::BadFile);
    } else if (std::string why; ReadWithImporter(path, flags, result, why) != Result::Ok) {
        return Fail(why, Result::BadFile);
    }
    result.Folder = std::filesystem::path(path).parent_path().string();
    mesh = std::move(result);
    return Result::Ok;
}

const std::string& ImportFailureReason() {
    return LastFailure();
}

std::vector<std::string> ImportExtensions() {
    std::string list;
    Assimp::Importer().GetExtensionList(list); // "*.3ds;*.obj;..."
    std::vector<std::string> extensions;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string pattern = list.substr(start, end - start);
        if (pattern.rfind("*.", 0) == 0) {
            std::transform(pattern.begin(), pattern.end(), pattern.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            extensions.push_back(pattern.substr(1));
        }
        start = end + 1;
    }
    std::sort(extensions.begin(), extensions.end());
    extensions.erase(std::unique(extensions.begin(), extensions.end()), extensions.end());
    return extensions;
}

void AppendImported(MeshBuilder& builder, const ImportedMesh& imported) {
    std::vector<MaterialPtr> materials;
    std::vector<TexturePtr> textures;
    std::map<std::string, TexturePtr> loaded;
    for (const ImportedMaterial& m : imported.Materials) {
        auto material = std::make_shared<Material>(m.Power);
        material->SetSpecular(m.Specular.X, m.Specular.Y, m.Specular.Z);
        material->SetEmissive(m.Emissive.X, m.Emissive.Y, m.Emissive.Z);
        materials.push_back(material);
        TexturePtr texture;
        if (!m.TextureFile.empty()) {
            auto [it, added] = loaded.try_emplace(m.TextureFile);
            if (added && Succeeded(Texture::Load(
                             (std::filesystem::path(imported.Folder) / m.TextureFile).string(), 256,
                             32, it->second)))
                it->second->SetName(m.TextureFile);
            texture = it->second;
        }
        textures.push_back(texture);
    }
    std::vector<Vector> vertices = builder.Vertices();
    std::vector<TextureCoord> coords = builder.TextureCoordinates();
    std::vector<Vector> normals = builder.Normals();
    std::vector<FaceData> faces;
    faces.reserve(builder.GetFaceCount() + imported.Faces.size());
    for (std::size_t f = 0; f < builder.GetFaceCount(); ++f)
        faces.push_back(builder.FaceAt(f));
    const auto vertexBase = std::uint32_t(vertices.size());
    const auto normalBase = std::uint32_t(normals.size());
    vertices.insert(vertices.end(), imported.Positions.begin(), imported.Positions.end());
    coords.resize(vertexBase);
    coords.insert(coords.end(), imported.TexCoords.begin(), imported.TexCoords.end());
    normals.insert(normals.end(), imported.Normals.begin(), imported.Normals.end());
    const bool withNormals = !imported.Normals.empty();
    for (const ImportedFace& face : imported.Faces) {
        FaceData data;
        const bool known = face.Material < imported.Materials.size();
        data.FaceColor = known && imported.Materials[face.Material].HasColor
                             ? imported.Materials[face.Material].Diffuse
                             : builder.GetColor();
        data.FaceMaterial = known ? materials[face.Material] : builder.GetMaterial();
        data.FaceTexture =
            known && textures[face.Material] ? textures[face.Material] : builder.GetTexture();
        for (std::uint32_t index : face.Indices)
            data.Corners.push_back(
                {vertexBase + index, withNormals ? normalBase + index : kNoNormal});
        faces.push_back(std::move(data));
    }
    builder.Assign(std::move(vertices), std::move(coords), std::move(normals), std::move(faces));
}

} // namespace lumora::scene
