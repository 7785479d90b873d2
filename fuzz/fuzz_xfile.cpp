// .x meshes, text and binary: the parser (and its writer, whose output must read
// back), the frame tree built by the engine's allocator with skinned meshes and
// animation, and the mesh object the battles use, posed and drawn on a small device.
#include <cstdio>
#include <memory>
#include <string>

#include "Draw/gvlD3DObjectBase.h"
#include "Draw/gvlMeshHierarchy.h"
#include "Draw/gvlSkinnedMesh.h"
#include "fuzz_util.h"
#include "mesh/xmesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    static const bool device = [] {
        CreateD3DDevice(false, 48, 32);
        InitDrawObjects(g_pD3DDevice);
        return true;
    }();
    (void)device;

    xmesh::XFile file;
    std::string error;
    if (SUCCEEDED(xmesh::ParseXFile(data, size, file, &error))) {
        // The binary form holds any name; the text form only names of its own
        // letters, so only the binary one must read back.
        const std::string text = xmesh::WriteXFile(file, false);
        xmesh::XFile fromText;
        xmesh::ParseXFile(text.data(), text.size(), fromText);
        const std::string binary = xmesh::WriteXFile(file, true, file.doubles);
        xmesh::XFile fromBinary;
        if (FAILED(xmesh::ParseXFile(binary.data(), binary.size(), fromBinary, &error))) {
            std::fprintf(stderr, "the binary form written does not read back: %s\n", error.c_str());
            __builtin_trap();
        }
    }

    {
        CAllocateHierarchy alloc;
        xmesh::Frame* root = nullptr;
        std::unique_ptr<xmesh::AnimationController> anim;
        if (SUCCEEDED(xmesh::LoadMeshHierarchyFromXInMemory(data, size, xmesh::MESH_MANAGED, g_pD3DDevice, &alloc,
                                                            nullptr, &root, &anim, &error))) {
            if (anim) {
                anim->BindFrames(root);
                for (int i = 0; i < 4; ++i) anim->AdvanceTime(0.37);
                if (xmesh::AnimationSet* set = anim->GetAnimationSet(0)) set->GetPeriodicPosition(12.5);
            }
            xmesh::FrameFind(root, "Bone01");
            xmesh::FrameDestroy(root, &alloc);
        }
    }

    // The battles' route: read from the file loader, posed, drawn.
    fuzz::WriteFile("model/fuzz.x", data, size);
    {
        CD3DSkinnedMesh mesh;
        mesh.Load("model\\fuzz.x");
        if (mesh.IsLoaded()) {
            gfx::Device* d = g_pD3DDevice;
            d->SetTransform(gfx::TS_VIEW, vm::LookAtLH({0, 3, -10}, {0, 1, 0}, {0, 1, 0}));
            d->SetTransform(gfx::TS_PROJECTION, vm::PerspectiveFovLH(0.8f, 1.5f, 0.5f, 100.0f));
            mesh.AdvanceAnimation(0.25);
            vm::Matrix world = vm::Identity();
            mesh.UpdateFrameMatrices(mesh.m_pFrameRoot, &world);
            d->BeginScene();
            mesh.DrawFrames(d);
            d->EndScene();
        }
    }
    fuzz::EndInput();
    return 0;
}
