#include "scene_file.h"

#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/MemoryIOWrapper.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace krender {

namespace fs = std::filesystem;

namespace {

// Far enough for any real scene, and far inside what Embree can trace even
// after the camera backs off to frame it.
const float farthest_coordinate = 1e15f;
// Keeps a file that instances one mesh very many times from taking all memory.
const std::size_t most_triangles = 50'000'000;

const unsigned import_steps = aiProcess_ValidateDataStructure;

[[noreturn]] void refuse(const std::string& name, const std::string& why) {
    throw std::runtime_error("scene " + name + ": " + why);
}

std::string one_line(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.pop_back();
    }
    return text.empty() ? "unknown error" : text;
}

std::string lower_case(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool is_obj(const std::string& extension) {
    return lower_case(extension) == ".obj";
}

void check_format(const std::string& extension, const std::string& name) {
    const std::string known = lower_case(extension);
    if (known != ".obj" && known != ".gltf" && known != ".glb" && known != ".ply") {
        const std::string shown = extension.empty() ? "no extension" : "'" + extension + "'";
        refuse(name, "unknown scene format (" + shown + "): use .obj, .gltf, .glb or .ply");
    }
}

// Assimp reports an unreadable file as a format error; say what it is.
void check_readable(const std::string& path) {
    std::error_code error;
    if (!fs::exists(path, error)) {
        refuse(path, "no such file");
    }
    if (fs::is_directory(path, error)) {
        refuse(path, "is a folder");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        refuse(path, std::string("cannot be read: ") + std::strerror(errno));
    }
    if (file.peek() == std::ifstream::traits_type::eof()) {
        refuse(path, "is empty");
    }
}

// Assimp's PLY reader cannot be trusted with every header:
// - it never returns from a header that lacks its end_header line, asking
//   for the next line after the last for ever;
// - an element declared a second time ("element vertex" again, or "element
//   face") makes it write past the arrays it sized for the first;
// - it sets aside room for as many instances of an element as the header
//   declares before reading any, so a count of billions takes all memory.
// And Assimp picks that reader by content as well as by name (a .gltf its
// glTF readers turn down is tried as PLY next). So the header of any file
// that starts as PLY does, with the letters "ply" in any case, is checked
// for all three before Assimp sees the file, whatever its name.

bool is_ply_line_end(int c) {
    return c == '\n' || c == '\r' || c == '\0' || c == '\f';
}

// The next line as Assimp's PLY reader takes it: up to the first CR, LF, NUL
// or FF. A line that would start at one of those is skipped, together with
// everything after it up to the next LF (so "x\0\0end_header\n" is one line
// to Assimp, "x", and end_header is never seen). False when the bytes end.
bool next_ply_line(std::streambuf& bytes, std::string& line) {
    const int end = std::char_traits<char>::eof();
    line.clear();
    int c = bytes.sgetc();
    if (c != end && is_ply_line_end(c)) {
        while (c != end && c != '\n') {
            c = bytes.snextc();
        }
        c = bytes.snextc();
    }
    if (c == end) {
        return false;
    }
    for (; c != end && !is_ply_line_end(c); c = bytes.snextc()) {
        line += static_cast<char>(c);
    }
    bytes.sbumpc();
    return true;
}

bool starts_with_ply(const std::string& text) {
    return lower_case(text.substr(0, 3)) == "ply";
}

// The first line as Assimp reads it, or (wider, to be safe) the first three
// letters after any white space.
bool starts_as_ply(std::streambuf& bytes) {
    std::string first_line;
    if (next_ply_line(bytes, first_line) && starts_with_ply(first_line)) {
        return true;
    }
    bytes.pubseekpos(0, std::ios::in);
    std::istream text(&bytes);
    std::string magic(3, '\0');
    return static_cast<bool>((text >> std::ws).read(magic.data(), 3)) && starts_with_ply(magic);
}

bool is_end_of_ply_header(const std::string& line) {
    return line.compare(0, 10, "end_header") == 0 &&
           (line.size() == 10 || std::isspace(static_cast<unsigned char>(line[10])));
}

// Checks one header line that declares an element: "element NAME COUNT".
void check_ply_element(std::istringstream& words, std::set<std::string>& declared,
                       std::uintmax_t file_size, const std::string& name) {
    std::string element, count_text;
    words >> element >> count_text;
    if (!declared.insert(lower_case(element)).second) {
        refuse(name, "cannot be read: its PLY header declares the element '" + element + "' twice");
    }
    // Every instance takes a byte at least (in text, its line's end).
    const unsigned long long count = std::strtoull(count_text.c_str(), nullptr, 10);
    if (count > file_size) {
        refuse(name, "cannot be read: its PLY header declares " + count_text + " '" + element +
                         "' elements, more than its " + std::to_string(file_size) +
                         " bytes can hold");
    }
}

void check_ply_header(std::streambuf& bytes, std::uintmax_t file_size, const std::string& name) {
    if (!starts_as_ply(bytes)) {
        return;
    }
    bytes.pubseekpos(0, std::ios::in);
    std::set<std::string> declared;
    std::string line;
    next_ply_line(bytes, line); // the magic word's line
    while (next_ply_line(bytes, line)) {
        if (is_end_of_ply_header(line)) {
            return;
        }
        std::istringstream words(line);
        std::string keyword;
        if (words >> keyword && lower_case(keyword) == "element") {
            check_ply_element(words, declared, file_size, name);
        }
    }
    refuse(name, "cannot be read: its PLY header has no end_header line");
}

// Reads bytes in memory as a stream, without copying them.
struct MemoryBytes : std::streambuf {
    MemoryBytes(const void* data, std::size_t size) {
        char* begin = const_cast<char*>(static_cast<const char*>(data));
        setg(begin, begin, begin + size);
    }

  protected:
    // Back to the start (the only position the header check asks for).
    pos_type seekpos(pos_type position, std::ios_base::openmode) override {
        if (position != pos_type(0)) {
            return pos_type(off_type(-1));
        }
        setg(eback(), eback(), egptr());
        return position;
    }
};

Vec3 clamped_colour(const aiColor4D& colour) {
    const auto unit = [](float value) {
        return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 0.0f;
    };
    return {unit(colour.r), unit(colour.g), unit(colour.b)};
}

Material material_of(const aiMaterial& source) {
    Material material;
    aiColor4D colour;
    if (source.Get(AI_MATKEY_BASE_COLOR, colour) == aiReturn_SUCCESS ||
        source.Get(AI_MATKEY_COLOR_DIFFUSE, colour) == aiReturn_SUCCESS) {
        material.base_colour = clamped_colour(colour);
    }
    return material;
}

Vec3 to_vec3(const aiVector3D& v) {
    return {v.x, v.y, v.z};
}

bool is_placeable(Vec3 p) {
    return std::fabs(p.x) <= farthest_coordinate && std::fabs(p.y) <= farthest_coordinate &&
           std::fabs(p.z) <= farthest_coordinate; // false for NaN as well
}

// Normals follow the inverse transpose; a transform that squashes a normal
// to nothing (or a file's zero normal) leaves the mesh shaded flat.
std::vector<Vec3> placed_normals(const aiMesh& source, const aiMatrix4x4& world) {
    std::vector<Vec3> normals;
    if (!source.HasNormals()) {
        return normals;
    }
    aiMatrix3x3 normal_transform(world);
    normal_transform.Inverse().Transpose();
    normals.reserve(source.mNumVertices);
    for (unsigned i = 0; i < source.mNumVertices; ++i) {
        const Vec3 normal = to_vec3(normal_transform * source.mNormals[i]);
        const float size = length(normal);
        if (!(size > 0.0f) || !std::isfinite(size)) {
            return {};
        }
        normals.push_back(normal * (1.0f / size));
    }
    return normals;
}

class SceneBuilder {
  public:
    SceneBuilder(const aiScene& source, std::string name)
        : source_(source), name_(std::move(name)) {}

    Scene build() {
        for (unsigned i = 0; i < source_.mNumMaterials; ++i) {
            scene_.materials.push_back(material_of(*source_.mMaterials[i]));
        }
        if (scene_.materials.empty()) {
            scene_.materials.emplace_back();
        }
        place_nodes();
        if (triangles_ == 0) {
            refuse(name_, "contains no triangles");
        }
        return std::move(scene_);
    }

  private:
    struct PlacedNode {
        const aiNode* node;
        aiMatrix4x4 world;
    };

    // Depth first with a stack of its own: a deep node tree cannot overflow
    // the call stack.
    void place_nodes() {
        if (source_.mRootNode == nullptr) {
            return;
        }
        std::vector<PlacedNode> pending{{source_.mRootNode, source_.mRootNode->mTransformation}};
        while (!pending.empty()) {
            const PlacedNode placed = pending.back();
            pending.pop_back();
            for (unsigned i = 0; i < placed.node->mNumMeshes; ++i) {
                add_mesh(placed.node->mMeshes[i], placed.world);
            }
            for (unsigned i = 0; i < placed.node->mNumChildren; ++i) {
                const aiNode* child = placed.node->mChildren[i];
                pending.push_back({child, placed.world * child->mTransformation});
            }
        }
    }

    void add_mesh(unsigned index, const aiMatrix4x4& world) {
        if (index >= source_.mNumMeshes) {
            refuse(name_, "a node refers to a mesh that does not exist");
        }
        const aiMesh& source = *source_.mMeshes[index];
        Mesh mesh;
        mesh.material = source.mMaterialIndex < scene_.materials.size() ? source.mMaterialIndex : 0;
        add_triangles(source, mesh);
        if (mesh.indices.empty()) {
            return; // points or lines only
        }
        mesh.positions.reserve(source.mNumVertices);
        for (unsigned i = 0; i < source.mNumVertices; ++i) {
            const Vec3 position = to_vec3(world * source.mVertices[i]);
            if (!is_placeable(position)) {
                refuse(name_, "has a vertex that is not a finite number within ±1e15");
            }
            mesh.positions.push_back(position);
        }
        mesh.normals = placed_normals(source, world);
        scene_.meshes.push_back(std::move(mesh));
    }

    void add_triangles(const aiMesh& source, Mesh& mesh) {
        for (unsigned i = 0; i < source.mNumFaces; ++i) {
            const aiFace& face = source.mFaces[i];
            if (face.mNumIndices != 3) {
                continue;
            }
            for (unsigned corner = 0; corner < 3; ++corner) {
                if (face.mIndices[corner] >= source.mNumVertices) {
                    refuse(name_, "a face refers to a vertex that does not exist");
                }
                mesh.indices.push_back(face.mIndices[corner]);
            }
            if (++triangles_ > most_triangles) {
                refuse(name_, "has more than " + std::to_string(most_triangles) + " triangles");
            }
        }
    }

    const aiScene& source_;
    std::string name_;
    Scene scene_;
    std::size_t triangles_ = 0;
};

// Assimp's triangulation trusts each mesh's note of the kinds of face it
// holds, and aborts the process when a reader got that note wrong (its PLY
// reader counts a face without corners as a polygon). The note is rebuilt
// from the faces themselves before triangulating. Faces without corners,
// points and lines then pass through, and add_triangles skips them. A mesh
// noted as holding no kind of face has its faces counted again by the
// triangulation, cornerless ones too, which trips it the same way: so a mesh
// whose faces all lack corners is noted as points, which it leaves alone.
void note_face_kinds(aiMesh& mesh) {
    unsigned kinds = 0;
    for (unsigned i = 0; i < mesh.mNumFaces; ++i) {
        const unsigned corners = mesh.mFaces[i].mNumIndices;
        if (corners > 0) {
            kinds |= corners == 1   ? aiPrimitiveType_POINT
                     : corners == 2 ? aiPrimitiveType_LINE
                     : corners == 3 ? aiPrimitiveType_TRIANGLE
                                    : aiPrimitiveType_POLYGON;
        }
    }
    mesh.mPrimitiveTypes = kinds != 0 ? kinds : static_cast<unsigned>(aiPrimitiveType_POINT);
}

const aiScene* triangulated(Assimp::Importer& importer, const aiScene* read) {
    if (read == nullptr) {
        return nullptr;
    }
    // The importer owns the scene and changes it in place as it post-processes.
    auto& scene = const_cast<aiScene&>(*read);
    for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
        note_face_kinds(*scene.mMeshes[i]);
    }
    return importer.ApplyPostProcessing(aiProcess_Triangulate);
}

// Keeps a material library's bytes in memory, however large the file it names.
const std::size_t largest_material_library = 64u << 20;

// An OBJ's material library, read whole, with a material of this program's
// own defined before the library's first line. Assimp's material reader
// follows a null pointer on a texture line (or a few others) that comes
// before the library's first newmtl, which crashed the renderer; with this
// material first, such lines set up a material no face uses. Null when the
// library cannot be read whole.
Assimp::IOStream* guarded_material_library(Assimp::IOSystem& io, Assimp::IOStream* library) {
    static const char first_material[] = "newmtl kelmora-render-before-first-newmtl\n";
    std::vector<std::uint8_t> bytes(first_material, first_material + sizeof first_material - 1);
    std::uint8_t chunk[64 * 1024];
    std::size_t got = 0;
    while ((got = library->Read(chunk, 1, sizeof chunk)) > 0 &&
           bytes.size() <= largest_material_library) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    io.Close(library);
    if (bytes.size() > largest_material_library) {
        return nullptr;
    }
    auto* owned = new std::uint8_t[bytes.size()];
    std::copy(bytes.begin(), bytes.end(), owned);
    return new Assimp::MemoryIOStream(owned, bytes.size(), true); // deletes `owned`
}

// What Assimp reads for one scene: the scene itself, from its file or from
// bytes in memory under a name of its own, and every other file the scene
// names (an OBJ's material libraries, a glTF's buffers) from the file system,
// relative to the current folder for bytes. Assimp's own reading from memory
// would serve an OBJ's bytes again as its material library.
class SceneIO : public Assimp::DefaultIOSystem {
  public:
    // A scene file.
    SceneIO(std::string name, bool is_obj) : name_(std::move(name)), is_obj_(is_obj) {}
    // A scene's bytes, served under `name`.
    SceneIO(std::string name, bool is_obj, const void* data, std::size_t size)
        : name_(std::move(name)), is_obj_(is_obj), data_(static_cast<const std::uint8_t*>(data)),
          size_(size) {}

    bool Exists(const char* file) const override {
        return (data_ != nullptr && name_ == file) || DefaultIOSystem::Exists(file);
    }
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        if (data_ != nullptr && name_ == file) {
            return new Assimp::MemoryIOStream(data_, size_);
        }
        Assimp::IOStream* opened = DefaultIOSystem::Open(file, mode);
        if (opened == nullptr || !is_obj_ || name_ == file) {
            return opened;
        }
        return guarded_material_library(*this, opened);
    }

  private:
    std::string name_;
    bool is_obj_;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

Scene convert(Assimp::Importer& importer, const aiScene* read, const std::string& name,
              const std::string& extension) {
    const aiScene* source = triangulated(importer, read);
    if (source == nullptr) {
        const std::string error = importer.GetErrorString();
        // Assimp's importers turn down a file they cannot make sense of, and
        // then no importer is left: the file is not what its name says.
        const bool unrecognised = error.find("No suitable reader") != std::string::npos;
        refuse(name,
               "cannot be read: " + (unrecognised ? "not a valid " + lower_case(extension) + " file"
                                                  : one_line(error)));
    }
    return SceneBuilder(*source, name).build();
}

} // namespace

Scene load_scene_file(const std::string& path) {
    const std::string extension = fs::path(path).extension().string();
    check_format(extension, path);
    check_readable(path);
    std::filebuf file;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (file.open(path, std::ios::in | std::ios::binary) == nullptr || error) {
        refuse(path, std::string("cannot be read: ") + std::strerror(errno));
    }
    check_ply_header(file, size, path);
    Assimp::Importer importer;
    importer.SetIOHandler(new SceneIO(path, is_obj(extension))); // the importer owns it
    return convert(importer, importer.ReadFile(path, import_steps), path, extension);
}

Scene load_scene_bytes(const void* data, std::size_t size, const std::string& extension,
                       const std::string& name) {
    check_format(extension, name);
    if (size == 0) {
        refuse(name, "is empty");
    }
    MemoryBytes bytes(data, size);
    check_ply_header(bytes, size, name);
    // A name no file in the current folder is likely to have; its extension
    // picks the format.
    const std::string bytes_name = "<kelmora-render scene bytes>" + lower_case(extension);
    Assimp::Importer importer;
    importer.SetIOHandler(new SceneIO(bytes_name, is_obj(extension), data, size)); // owned there
    return convert(importer, importer.ReadFile(bytes_name, import_steps), name, extension);
}

} // namespace krender
