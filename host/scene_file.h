// Scenes from files, through Assimp: OBJ (with its MTL), glTF and GLB, PLY.
#ifndef KELMORA_RENDER_SCENE_FILE_H
#define KELMORA_RENDER_SCENE_FILE_H

#include "scene.h"

#include <cstddef>
#include <string>

namespace krender {

// Every triangle of every mesh, placed by its node's transforms, with its
// material's base colour (the diffuse colour where there is none) and the
// file's normals where they are usable; faces without normals are flat.
// Throws std::runtime_error "scene PATH: reason" for a file that is missing,
// unreadable, of another format, corrupt, or without a triangle.
Scene load_scene_file(const std::string& path);

// The same for a file's bytes; `extension` (".obj", ".glb", ...) picks the
// format and `name` is what the errors call it. Files a scene refers to
// (an OBJ's MTL, a glTF's buffers) are looked for in the current folder.
Scene load_scene_bytes(const void* data, std::size_t size, const std::string& extension,
                       const std::string& name);

} // namespace krender

#endif
