// Triangle meshes in flexible vertex formats: layout, cloning, normals, drawing.
#include <algorithm>
#include <cstring>

#include "mesh/xmesh.h"

namespace xmesh {

namespace {
uint32_t g_blendLimit = 0;

// Size of the position element (with its blend weights).
int PositionSize(uint32_t fvf) {
    switch (fvf & 0x00E) {
    case gfx::FVF_XYZ: return 12;
    case gfx::FVF_XYZRHW: return 16;
    case gfx::FVF_XYZB1: return 16;
    case gfx::FVF_XYZB2: return 20;
    case gfx::FVF_XYZB3: return 24;
    case gfx::FVF_XYZB4: return 28;
    case 0x00E: return 32;  // five weights
    default: return 0;
    }
}
int TexCount(uint32_t fvf) { return int((fvf >> 8) & 0xF); }
}  // namespace

uint32_t FvfVertexSize(uint32_t fvf) {
    int pos = PositionSize(fvf);
    if (pos == 0) return 0;
    int size = pos;
    if (fvf & gfx::FVF_NORMAL) size += 12;
    if (fvf & gfx::FVF_DIFFUSE) size += 4;
    if (fvf & gfx::FVF_SPECULAR) size += 4;
    size += 8 * TexCount(fvf);
    return uint32_t(size);
}
int FvfNormalOffset(uint32_t fvf) { return (fvf & gfx::FVF_NORMAL) ? PositionSize(fvf) : -1; }
int FvfDiffuseOffset(uint32_t fvf) {
    if (!(fvf & gfx::FVF_DIFFUSE)) return -1;
    return PositionSize(fvf) + ((fvf & gfx::FVF_NORMAL) ? 12 : 0);
}
int FvfTexCoordOffset(uint32_t fvf) {
    if (TexCount(fvf) == 0) return -1;
    return PositionSize(fvf) + ((fvf & gfx::FVF_NORMAL) ? 12 : 0) + ((fvf & gfx::FVF_DIFFUSE) ? 4 : 0) +
           ((fvf & gfx::FVF_SPECULAR) ? 4 : 0);
}
int FvfBlendWeights(uint32_t fvf) {
    int pos = PositionSize(fvf);
    if ((fvf & 0x00E) == gfx::FVF_XYZRHW || pos <= 12) return 0;
    return (pos - 12) / 4;
}

uint32_t MaxVertexBlendMatrices(const gfx::Device*) { return g_blendLimit ? g_blendLimit : 4u; }
void SetMaxVertexBlendMatricesLimit(uint32_t limit) { g_blendLimit = std::min(limit, 4u); }

Mesh::Mesh(uint32_t numFaces, uint32_t numVertices, uint32_t options, uint32_t fvf, gfx::Device* device)
    : fvf_(fvf), options_(options | MESH_32BIT), stride_(FvfVertexSize(fvf)), numVertices_(numVertices),
      device_(device) {
    vertices_.assign(size_t(numVertices) * stride_, 0);
    indices_.assign(size_t(numFaces) * 3, 0);
    attributes_.assign(numFaces, 0);
}

vm::Vec3 Mesh::GetPosition(uint32_t v) const {
    vm::Vec3 p;
    std::memcpy(&p.x, &vertices_[size_t(v) * stride_], 12);
    return p;
}
void Mesh::SetPosition(uint32_t v, vm::Vec3 p) { std::memcpy(&vertices_[size_t(v) * stride_], &p.x, 12); }

void Mesh::SortByAttribute(std::vector<uint32_t>* faceRemap) {
    uint32_t n = GetNumFaces();
    std::vector<uint32_t> order(n);
    for (uint32_t i = 0; i < n; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return attributes_[a] < attributes_[b]; });
    std::vector<uint32_t> idx(indices_.size()), attr(n);
    for (uint32_t i = 0; i < n; ++i) {
        attr[i] = attributes_[order[i]];
        for (int k = 0; k < 3; ++k) idx[size_t(i) * 3 + k] = indices_[size_t(order[i]) * 3 + k];
    }
    indices_.swap(idx);
    attributes_.swap(attr);
    if (faceRemap) *faceRemap = order;
    table_.clear();
    for (uint32_t i = 0; i < n;) {
        uint32_t j = i;
        uint32_t lo = UINT32_MAX, hi = 0;
        while (j < n && attributes_[j] == attributes_[i]) {
            for (int k = 0; k < 3; ++k) {
                lo = std::min(lo, indices_[size_t(j) * 3 + k]);
                hi = std::max(hi, indices_[size_t(j) * 3 + k]);
            }
            ++j;
        }
        AttributeRange r;
        r.AttribId = attributes_[i];
        r.FaceStart = i;
        r.FaceCount = j - i;
        r.VertexStart = lo;
        r.VertexCount = hi - lo + 1;
        table_.push_back(r);
        i = j;
    }
}

HRESULT Mesh::CloneMeshFVF(uint32_t options, uint32_t fvf, gfx::Device* device, std::shared_ptr<Mesh>& out) const {
    if (FvfVertexSize(fvf) == 0) return E_INVALIDARG;
    auto m = std::make_shared<Mesh>(GetNumFaces(), numVertices_, options, fvf, device);
    m->indices_ = indices_;
    m->attributes_ = attributes_;
    m->table_ = table_;
    int srcW = FvfBlendWeights(fvf_), dstW = FvfBlendWeights(fvf);
    int srcN = FvfNormalOffset(fvf_), dstN = FvfNormalOffset(fvf);
    int srcD = FvfDiffuseOffset(fvf_), dstD = FvfDiffuseOffset(fvf);
    int srcT = FvfTexCoordOffset(fvf_), dstT = FvfTexCoordOffset(fvf);
    int texBytes = 8 * std::min(TexCount(fvf_), TexCount(fvf));
    bool rhwSame = (fvf_ & 0x00E) == gfx::FVF_XYZRHW && (fvf & 0x00E) == gfx::FVF_XYZRHW;
    for (uint32_t v = 0; v < numVertices_; ++v) {
        const uint8_t* s = &vertices_[size_t(v) * stride_];
        uint8_t* d = &m->vertices_[size_t(v) * m->stride_];
        std::memcpy(d, s, rhwSame ? 16 : 12);
        if (!rhwSame) std::memcpy(d + 12, s + 12, size_t(4) * std::min(srcW, dstW));
        if (srcN >= 0 && dstN >= 0) std::memcpy(d + dstN, s + srcN, 12);
        if (dstD >= 0) {
            uint32_t white = 0xFFFFFFFFu;
            std::memcpy(d + dstD, srcD >= 0 ? s + srcD : reinterpret_cast<const uint8_t*>(&white), 4);
        }
        if (srcT >= 0 && dstT >= 0) std::memcpy(d + dstT, s + srcT, texBytes);
    }
    out = std::move(m);
    return S_OK;
}

HRESULT Mesh::DrawSubset(uint32_t attribId) const {
    if (!device_) return E_FAIL;
    for (const AttributeRange& r : table_) {
        if (r.AttribId != attribId || r.FaceCount == 0) continue;
        device_->SetFVF(fvf_);
        return device_->DrawIndexedPrimitiveUP(gfx::PT_TRIANGLELIST, r.VertexStart, r.VertexCount, r.FaceCount,
                                               &indices_[size_t(r.FaceStart) * 3], true, vertices_.data(), stride_);
    }
    return S_OK;
}

HRESULT ComputeNormals(Mesh& mesh, const uint32_t*) {
    int no = FvfNormalOffset(mesh.GetFVF());
    if (no < 0) return E_INVALIDARG;
    uint32_t nv = mesh.GetNumVertices(), stride = mesh.GetNumBytesPerVertex();
    std::vector<vm::Vec3> acc(nv);
    const auto& idx = mesh.Indices();
    for (size_t f = 0; f + 2 < idx.size(); f += 3) {
        uint32_t i[3] = {idx[f], idx[f + 1], idx[f + 2]};
        if (i[0] >= nv || i[1] >= nv || i[2] >= nv) continue;
        vm::Vec3 p[3] = {mesh.GetPosition(i[0]), mesh.GetPosition(i[1]), mesh.GetPosition(i[2])};
        vm::Vec3 n = vm::Normalize(vm::Cross(p[1] - p[0], p[2] - p[0]));
        for (int k = 0; k < 3; ++k) {
            vm::Vec3 a = vm::Normalize(p[(k + 1) % 3] - p[k]), b = vm::Normalize(p[(k + 2) % 3] - p[k]);
            float c = std::clamp(vm::Dot(a, b), -1.0f, 1.0f);
            acc[i[k]] = acc[i[k]] + n * std::acos(c);
        }
    }
    for (uint32_t v = 0; v < nv; ++v) {
        vm::Vec3 n = vm::Normalize(acc[v]);
        std::memcpy(&mesh.Vertices()[size_t(v) * stride + no], &n.x, 12);
    }
    return S_OK;
}

}  // namespace xmesh
