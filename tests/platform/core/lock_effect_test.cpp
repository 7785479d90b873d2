// The single-instance lock and the effect and shader objects.
#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

#include "gfx/effect.h"
#include "golden.h"
#include "system.h"

namespace {

TEST(NamedLock, SecondOpenSeesTheFirstUntilItCloses) {
    testsupport::TempDir dir;
    std::string path = dir.path() + "__TEST__.lock";
    plat::LockResult r1, r2, r3;
    plat::NamedLock* a = plat::OpenNamedLockFile(path, r1);
    EXPECT_EQ(r1, plat::LockResult::Created);
    ASSERT_NE(a, nullptr);
    plat::NamedLock* b = plat::OpenNamedLockFile(path, r2);
    EXPECT_EQ(r2, plat::LockResult::AlreadyExists);
    EXPECT_EQ(b, nullptr);
    plat::CloseNamedLock(a);
    plat::NamedLock* c = plat::OpenNamedLockFile(path, r3);
    EXPECT_EQ(r3, plat::LockResult::Created);
    plat::CloseNamedLock(c);
}

TEST(NamedLock, UnusableLocationIsAnInvalidHandle) {
    plat::LockResult r;
    EXPECT_EQ(plat::OpenNamedLockFile("/nonexistent-folder/x/y.lock", r), nullptr);
    EXPECT_EQ(r, plat::LockResult::InvalidHandle);
}

TEST(NamedLock, HeadlessNamesCarryTheProcess) {
    plat::Shutdown();  // headless by default
    std::string p = plat::NamedLockPath("__VORMANT__");
    EXPECT_NE(p.find("__VORMANT__"), std::string::npos);
    EXPECT_NE(p.find(std::to_string(::getpid())), std::string::npos);
    EXPECT_EQ(plat::NamedLockPath("a/b").find("a/b"), std::string::npos);
    // Headless lock files go away when released.
    plat::LockResult r;
    plat::NamedLock* lock = plat::OpenNamedLock("__VORMANT_CLEANUP__", r);
    ASSERT_EQ(r, plat::LockResult::Created);
    std::string path = plat::NamedLockPath("__VORMANT_CLEANUP__");
    EXPECT_EQ(::access(path.c_str(), F_OK), 0);
    plat::CloseNamedLock(lock);
    EXPECT_NE(::access(path.c_str(), F_OK), 0);
}

TEST(Effect, CreatedFromTextWithATechnique) {
    std::string fx = "// skinning\ntechnique Skinning { pass P0 { } }\n";
    gfx::Effect* e = nullptr;
    ASSERT_EQ(gfx::CreateEffect(nullptr, fx.data(), fx.size(), &e), S_OK);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->TechniqueName(), "Skinning");
    EXPECT_EQ(e->Source().size(), fx.size());
    e->OnLostDevice();
    EXPECT_TRUE(e->IsLost());
    e->Release();
}

TEST(Effect, MissingOrBrokenSourceFails) {
    gfx::Effect* e = reinterpret_cast<gfx::Effect*>(1);
    EXPECT_EQ(gfx::CreateEffect(nullptr, nullptr, 0, &e), gfx::ERR_INVALIDCALL);
    EXPECT_EQ(e, nullptr);
    std::string junk = "// technique in a comment only\nfloat4 x;";
    EXPECT_EQ(gfx::CreateEffect(nullptr, junk.data(), junk.size(), &e), gfx::ERR_INVALIDDATA);
}

TEST(VertexShader, AssembledAndCreated) {
    std::string vsh = "; comment first\n\nvs.1.1\n; skinning\nmov oPos, v0 // tail\n";
    std::vector<uint8_t> code;
    ASSERT_EQ(gfx::AssembleShader(vsh.data(), vsh.size(), code), S_OK);
    EXPECT_EQ(std::string(code.begin(), code.end()), "vs.1.1\nmov oPos, v0\n");
    gfx::VertexShader* s = nullptr;
    ASSERT_EQ(gfx::CreateVertexShader(nullptr, code, &s), S_OK);
    EXPECT_EQ(s->VersionMajor(), 1);
    EXPECT_EQ(s->VersionMinor(), 1);
    s->Release();
}

TEST(VertexShader, MissingOrBrokenSourceFails) {
    std::vector<uint8_t> code;
    EXPECT_EQ(gfx::AssembleShader(nullptr, 0, code), gfx::ERR_INVALIDCALL);
    std::string bad = "mov oPos, v0\n";
    EXPECT_EQ(gfx::AssembleShader(bad.data(), bad.size(), code), gfx::ERR_INVALIDDATA);
    gfx::VertexShader* s = nullptr;
    EXPECT_EQ(gfx::CreateVertexShader(nullptr, {}, &s), gfx::ERR_INVALIDCALL);
}

}  // namespace
