#pragma once
// Meshes, skin information, frame hierarchies and keyframe animation read from .x
// files (text or binary form).  The shapes of these types follow the mesh side of the
// 3D API the game was written for, so that the engine's mesh code maps onto them one
// call for one call: a frame tree whose frames and mesh containers are made by an
// allocator the caller supplies, a skin description per skinned mesh that turns into
// a vertex-blended mesh split into bone combinations, and an animation controller
// that writes the animated frames' transformation matrices.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gfx/device.h"
#include "hresult.h"
#include "math/vmath.h"

namespace xmesh {

// Mesh creation options (same bit values as the API's).
enum : uint32_t {
    MESH_32BIT = 0x001,
    MESH_MANAGED = 0x220,
    MESH_SOFTWAREPROCESSING = 0x18000,
    MESHOPT_VERTEXCACHE = 0x04000000,
};

enum MeshDataType : int { MESHTYPE_MESH = 1, MESHTYPE_PMESH = 2, MESHTYPE_PATCHMESH = 3 };

constexpr uint32_t UNUSED_BONE = 0xFFFFFFFFu;

// Byte size of one vertex of the flexible vertex format `fvf` (0 for an invalid one).
uint32_t FvfVertexSize(uint32_t fvf);
// Byte offsets inside a vertex; -1 when the format lacks the element.
int FvfNormalOffset(uint32_t fvf);
int FvfDiffuseOffset(uint32_t fvf);
int FvfTexCoordOffset(uint32_t fvf);
// Number of blend weights stored per vertex (XYZB1..XYZB3 give 1..3).
int FvfBlendWeights(uint32_t fvf);

// The number of world matrices the device blends per vertex.  Our device blends up
// to four; a lower limit can be set to check how meshes behave on a smaller device
// (0 restores the device's own).
uint32_t MaxVertexBlendMatrices(const gfx::Device* device);
void SetMaxVertexBlendMatricesLimit(uint32_t limit);

struct XMaterial {
    gfx::Material MatD3D;
    std::string TextureFilename;  // empty: no texture
};

struct AttributeRange {
    uint32_t AttribId = 0, FaceStart = 0, FaceCount = 0, VertexStart = 0, VertexCount = 0;
};

// A triangle list with one attribute (material) id per face.  Indices are 32-bit.
class Mesh {
public:
    Mesh(uint32_t numFaces, uint32_t numVertices, uint32_t options, uint32_t fvf, gfx::Device* device);

    uint32_t GetFVF() const { return fvf_; }
    uint32_t GetOptions() const { return options_; }
    uint32_t GetNumFaces() const { return uint32_t(attributes_.size()); }
    uint32_t GetNumVertices() const { return numVertices_; }
    uint32_t GetNumBytesPerVertex() const { return stride_; }
    gfx::Device* GetDevice() const { return device_; }

    // Raw access (the "locked" buffers): vertices are GetNumVertices() * stride bytes,
    // indices three per face, attributes one per face.
    std::vector<uint8_t>& Vertices() { return vertices_; }
    const std::vector<uint8_t>& Vertices() const { return vertices_; }
    std::vector<uint32_t>& Indices() { return indices_; }
    const std::vector<uint32_t>& Indices() const { return indices_; }
    std::vector<uint32_t>& Attributes() { return attributes_; }
    const std::vector<uint32_t>& Attributes() const { return attributes_; }

    vm::Vec3 GetPosition(uint32_t v) const;
    void SetPosition(uint32_t v, vm::Vec3 p);

    // Orders the faces by attribute id (stable) and builds the attribute table that
    // DrawSubset uses.  Call after changing Attributes().
    void SortByAttribute(std::vector<uint32_t>* faceRemap = nullptr);
    void SetAttributeTable(std::vector<AttributeRange> table) { table_ = std::move(table); }
    const std::vector<AttributeRange>& GetAttributeTable() const { return table_; }

    // A copy in another vertex format: elements both formats have are copied, new
    // ones are zero (new blend weights too), dropped ones are lost.
    HRESULT CloneMeshFVF(uint32_t options, uint32_t fvf, gfx::Device* device, std::shared_ptr<Mesh>& out) const;

    // Draws the faces of attribute `attribId` as an indexed triangle list with the
    // device's current states.  Nothing to draw is not an error.
    HRESULT DrawSubset(uint32_t attribId) const;

private:
    uint32_t fvf_ = 0, options_ = 0, stride_ = 0, numVertices_ = 0;
    gfx::Device* device_ = nullptr;
    std::vector<uint8_t> vertices_;
    std::vector<uint32_t> indices_;
    std::vector<uint32_t> attributes_;
    std::vector<AttributeRange> table_;
};

// Per-vertex normals as the normalised sum of the face normals of the faces around a
// vertex (faces weighted by their angle at the vertex); the mesh must have normals.
HRESULT ComputeNormals(Mesh& mesh, const uint32_t* adjacency = nullptr);

struct BoneCombination {
    uint32_t AttribId = 0, FaceStart = 0, FaceCount = 0, VertexStart = 0, VertexCount = 0;
    std::vector<uint32_t> BoneId;  // one slot per influence; UNUSED_BONE when free
};

// Which vertices each bone moves and by how much, and the bone offset matrices.
class SkinInfo {
public:
    struct Bone {
        std::string name;
        vm::Matrix offset;
        std::vector<uint32_t> vertices;
        std::vector<float> weights;
    };

    SkinInfo(uint32_t numVertices, uint32_t fvf) : numVertices_(numVertices), fvf_(fvf) {}

    uint32_t GetNumBones() const { return uint32_t(bones_.size()); }
    const char* GetBoneName(uint32_t bone) const;
    const vm::Matrix* GetBoneOffsetMatrix(uint32_t bone) const;
    const Bone& GetBone(uint32_t bone) const { return bones_[bone]; }
    uint32_t AddBone(Bone bone);
    uint32_t GetNumVertices() const { return numVertices_; }
    // The largest number of bones that move one vertex.
    uint32_t GetMaxVertexInfluences() const;

    // Turns `source` (whose vertices this skin describes) into a vertex-blended mesh
    // for fixed-function blending without matrix indices: each vertex keeps at most
    // `maxInfluences` bones, and the weakest bones of a face that needs more are
    // taken from its vertices (from the vertex, so that every face sharing it blends
    // it alike; the bones left are scaled back to their sum); the faces are split into bone
    // combinations, each of one attribute and at most `maxInfluences` bones, whose
    // vertices carry `influences - 1` weights (the last weight is 1 minus the others).
    HRESULT ConvertToBlendedMesh(const Mesh& source, uint32_t options, uint32_t* maxFaceInfluences,
                                 std::vector<BoneCombination>& combinations, std::shared_ptr<Mesh>& out,
                                 uint32_t maxInfluences = 4) const;

private:
    uint32_t numVertices_ = 0, fvf_ = 0;
    std::vector<Bone> bones_;
};

struct MeshContainer;

struct Frame {
    char* Name = nullptr;
    vm::Matrix TransformationMatrix;
    MeshContainer* pMeshContainer = nullptr;
    Frame* pFrameSibling = nullptr;
    Frame* pFrameFirstChild = nullptr;
    virtual ~Frame() = default;
};

struct MeshData {
    MeshDataType Type = MESHTYPE_MESH;
    std::shared_ptr<Mesh> pMesh;
};

struct MeshContainer {
    char* Name = nullptr;
    xmesh::MeshData MeshData;
    std::vector<XMaterial> pMaterials;
    const void* pEffects = nullptr;
    uint32_t NumMaterials = 0;
    std::vector<uint32_t> pAdjacency;
    std::shared_ptr<SkinInfo> pSkinInfo;
    MeshContainer* pNextMeshContainer = nullptr;
    virtual ~MeshContainer() = default;
};

// Makes and frees the frames and mesh containers of a hierarchy being loaded.
class AllocateHierarchy {
public:
    virtual ~AllocateHierarchy() = default;
    virtual HRESULT CreateFrame(const char* name, Frame** newFrame) = 0;
    virtual HRESULT CreateMeshContainer(const char* name, const MeshData* meshData, const XMaterial* materials,
                                        const void* effectInstances, uint32_t numMaterials,
                                        const uint32_t* adjacency, const std::shared_ptr<SkinInfo>& skinInfo,
                                        MeshContainer** newMeshContainer) = 0;
    virtual HRESULT DestroyFrame(Frame* frame) = 0;
    virtual HRESULT DestroyMeshContainer(MeshContainer* meshContainer) = 0;
};

// ---- animation ---------------------------------------------------------------------

struct VectorKey { float time = 0; vm::Vec3 value; };
struct QuatKey { float time = 0; vm::Quat value; };

// The keys of one animated frame, times in ticks.
struct AnimationTrack {
    std::string frameName;
    std::vector<VectorKey> scale;
    std::vector<QuatKey> rotation;
    std::vector<VectorKey> translation;
    // The frame's own pose, used for the kinds of key the track lacks.
    vm::Vec3 baseScale{1, 1, 1};
    vm::Quat baseRotation;
    vm::Vec3 baseTranslation;
    // Pose at `ticks`: scale and translation interpolated linearly, rotation
    // spherically; outside the keys the nearest key holds.
    vm::Matrix Sample(double ticks) const;
};

class AnimationSet {
public:
    std::string name;
    double ticksPerSecond = 4800.0;
    std::vector<AnimationTrack> tracks;

    // Length of one cycle in seconds: the last key time over the tick rate.
    double GetPeriod() const;
    // `position` seconds taken into the cycle [0, period).
    double GetPeriodicPosition(double position) const;
};

// Plays animation set 0 on the frames of one hierarchy: advancing the time writes
// the animated frames' TransformationMatrix.
class AnimationController {
public:
    uint32_t GetNumAnimationSets() const { return uint32_t(sets_.size()); }
    AnimationSet* GetAnimationSet(uint32_t i) { return i < sets_.size() ? sets_[i].get() : nullptr; }
    double GetTime() const { return time_; }
    // Moves the global time and the track position by `seconds` and poses the frames.
    HRESULT AdvanceTime(double seconds, void* callbackHandler = nullptr);
    // Time and track position back to 0 (frames are posed on the next advance).
    void ResetTime() { time_ = 0; position_ = 0; }
    double GetTrackPosition() const { return position_; }
    void SetTrackPosition(double p) { position_ = p; }

    void AddAnimationSet(std::unique_ptr<AnimationSet> set) { sets_.push_back(std::move(set)); }
    // Connects the tracks of every set to the frames of `root` by name.
    void BindFrames(Frame* root);

private:
    std::vector<std::unique_ptr<AnimationSet>> sets_;
    std::map<std::string, vm::Matrix*> outputs_;
    double time_ = 0, position_ = 0;
};

// ---- loading -----------------------------------------------------------------------

// Reads a .x file held in memory and builds its frame tree through `alloc`.  Top-level
// frames become the root and its siblings; a mesh outside any frame gets an unnamed
// frame of its own.  `animController` receives null when the file has no animation.
// On failure nothing is left allocated, the outputs are null, and `error` (when given)
// says what was wrong.
HRESULT LoadMeshHierarchyFromXInMemory(const void* data, size_t size, uint32_t options, gfx::Device* device,
                                       AllocateHierarchy* alloc, const void* userDataLoader, Frame** frameRoot,
                                       std::unique_ptr<AnimationController>* animController,
                                       std::string* error = nullptr);

// Frees a whole tree (siblings and children, their containers) through `alloc`.
HRESULT FrameDestroy(Frame* root, AllocateHierarchy* alloc);

// The first frame named `name` below and beside `root` (depth first), or null.
Frame* FrameFind(Frame* root, const char* name);

// ---- the .x data objects themselves (used by the loader and by tools) ---------------

struct XValue {
    bool isString = false;
    bool isFloat = false;  // written with a fraction or exponent (text) / from a float list (binary)
    double number = 0;
    std::string text;
};

struct XObject {
    std::string type, name;
    std::vector<XValue> values;
    // Nested objects and references to named objects, in file order.
    struct Child {
        std::unique_ptr<XObject> object;  // null for a reference
        std::string reference;
    };
    std::vector<Child> children;
};

struct XFile {
    std::vector<std::unique_ptr<XObject>> objects;
    bool binary = false;
    bool doubles = false;  // binary floats of 64 bits
};

// Parses the text or binary form (uncompressed).  Templates are skipped.
HRESULT ParseXFile(const void* data, size_t size, XFile& out, std::string* error = nullptr);
// Writes `file` in the text or binary form (binary floats of 32 bits, or 64 with
// `doubles`).
std::string WriteXFile(const XFile& file, bool binary, bool doubles = false);

}  // namespace xmesh
