#pragma once
// Demo meshes for the game: a skinned humanoid of boxes with bones and one looping
// animation set, weapons and missiles, a ground and a backdrop.  Written as text .x
// files the way exporters write them; a converter gives the binary form.
#include <cstdint>
#include <string>
#include <vector>

#include "math/vmath.h"

namespace meshgen {

struct HumanoidOptions {
    std::string texture = "unit.png";  // texture of the body material ("" for none)
    float bodyColor[4] = {1, 1, 1, 1};   // diffuse of the body material
    float headColor[4] = {0.9f, 0.75f, 0.6f, 1};
    int segments = 1;                    // each box face split into segments x segments quads
    bool normals = true;                 // write MeshNormals
    bool animation = true;               // write the "Anim" set
    float scale = 1.0f;
};

// The humanoid: bones "Hips" (root, at (0, 0.9, 0)), "Spine", "Head", "ArmL", "ArmR",
// "LegL", "LegR"; the mesh "Body" hangs in the frame "Mesh" beside them under "Root".
// Its animation "Anim" lasts one second (4800 ticks per second): the legs and arms
// swing about X by up to 0.5 radians and the hips bob by 0.05.
std::string HumanoidX(const HumanoidOptions& options);

// Faces of the humanoid: 7 boxes of 12 x segments^2 triangles.
int HumanoidTriangles(int segments);

// Static meshes (one frame, one mesh, no skin): a missile pointing along -z with its
// tip at the origin ("arrow" or "spear"), a sword along +y, a ball, a rock, a ground
// plane (y = 0, `size` wide) and a backdrop wall around the ground.
std::string ArrowX(float length, const std::string& texture);
std::string SwordX(const std::string& texture);
std::string BallX(float radius, const std::string& texture);
std::string RockX(float radius, const std::string& texture);
std::string GroundX(float size, const std::string& texture);
std::string BackdropX(float radius, float height, const std::string& texture);

// The same file in the binary form; empty when `text` does not parse.
std::string ToBinaryX(const std::string& text);

// A size x size texture of two colours in a checker of `cells` cells, edge to edge so
// that it tiles without a seam; written as PNG.  False when the file cannot be written.
bool WriteCheckerPng(const std::string& path, int size, uint32_t colorA, uint32_t colorB, int cells);

// Every mesh and texture the game reads under "model/" in `gameDir`.  Returns the
// number of files written, -1 on a write failure.
int GenerateGameMeshes(const std::string& gameDir);

}  // namespace meshgen
