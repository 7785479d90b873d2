// Chapter two's opening view as the program shows it, played headless in this process
// by the real application: a field save of the chapter's first turn (the mission's
// units, the story's, Leon on the first sortie point and Sera beside him) is loaded
// from the title, the pointer is moved where the case says, and once the view has come
// to rest each iteration is one frame of the program's loop (messages, update, drawing
// and present): the CPU time of one presented frame.
//
// The pointer resting on a cell: the cell's highlight blinks, and the friendly units
// that have not moved pulse (their bases' alpha) all through the player's phase. On
// the minimap: the same view without the highlight. Outside the window: the pointer
// lies past the edges, so the view scrolls to the map's corner and rests there, with
// nothing left on it that moves. Back on a cell there: the highlight alone blinks.
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

#include "Draw/gvlD3DObjectBase.h"
#include "app/D3DApp.h"
#include "field_save.h"
#include "framework/gvlDXAppBase.h"
#include "game_copy.h"
#include "gfx/device_impl.h"
#include "replay_script.h"
#include "system.h"

namespace {

// The lock that keeps a second copy from starting, always granted (a copy of the game
// may run beside the benchmark).
class AnyLock : public INamedLockSource {
public:
    int Create(const std::string&, void*& handle) override {
        handle = this;
        return 0;
    }
    void Close(void*) override {}
};

class OpeningView {
public:
    // `pointer`: where the pointer goes once the field is shown; `then`, when given,
    // where it goes once the view has had time to scroll.
    OpeningView(int pointerX, int pointerY, int thenX = -1, int thenY = -1) {
        if (thenX < 0) thenX = pointerX, thenY = pointerY;
        // The chapter's field as its first turn begins, Leon on the first sortie point
        // and Sera beside him, in the first slot.
        ok_ = testsupport::WriteFieldSave(
            game_.path(),
            [](C_FieldTaskInfo& info) {
                testsupport::AddUnit(info, {5}, 5, 7, 20);
                testsupport::AddUnit(info, {2}, 5, 7, 19);
            },
            0, FieldSave, 2);
        // "LOAD GAME", the slot, "resume"; the pointer to its place; a last event far
        // ahead keeps the run from ending when the script runs out.
        std::ofstream(game_.path() + "input.txt")
            << testsupport::LoadFirstSlot() << testsupport::Move(200, pointerX, pointerY)
            << testsupport::Move(700, thenX, thenY) << testsupport::Move(1 << 30, thenX, thenY);
        cd_ = std::make_unique<testsupport::ScopedCurrentDir>(game_.path());
        plat::InitOptions options;
        options.backend = plat::Backend::Headless;
        options.replayScript = game_.path() + "input.txt";
        ok_ = ok_ && plat::Init(options);
        if (!ok_) return;
        app_ = std::make_unique<CD3DApp>(game_.path() + "Zov.ini", &lock_);
        ok_ = SUCCEEDED(app_->Create(nullptr, 1));
        // The field is shown from frame 150; a view scrolling to a corner of the 40 x 40
        // map takes up to some 400 frames more.
        while (ok_ && plat::PresentedFrameCount() < 1000) ok_ = Frame();
    }
    ~OpeningView() {
        app_.reset();
        plat::Shutdown();
    }
    OpeningView(const OpeningView&) = delete;
    OpeningView& operator=(const OpeningView&) = delete;

    bool Ok() const { return ok_; }

    // One pass of the program's frame loop: the waiting messages, then an update and a
    // frame drawn and presented, then the pacer (which moves the virtual clock).
    bool Frame() {
        plat::Message msg;
        while (plat::PeekMessage(msg)) {
            if (msg.id == plat::kMsgQuit) return false;
            app_->WndProc(g_hMainWindow, msg.id, msg.wParam, msg.lParam);
        }
        if (app_->OnUpdate() == E_FAIL) return false;
        app_->Render();
        app_->GetFPSTimer().WaitFrame();
        return true;
    }

    const gfx::detail::FrameReuse::Counts& Counts() const { return g_pD3DDevice->impl()->reuse->GetCounts(); }

private:
    testsupport::GameCopy game_;
    std::unique_ptr<testsupport::ScopedCurrentDir> cd_;
    AnyLock lock_;
    std::unique_ptr<CD3DApp> app_;
    bool ok_ = false;
};

void Run(benchmark::State& state, int pointerX, int pointerY, int thenX = -1, int thenY = -1) {
    OpeningView view(pointerX, pointerY, thenX, thenY);
    if (!view.Ok()) {
        state.SkipWithError("the field could not be shown");
        return;
    }
    const auto before = view.Counts();
    for (auto _ : state)
        if (!view.Frame()) {
            state.SkipWithError("the program ended");
            return;
        }
    // How the frames were drawn: kept as they were, drawn on their changed tiles alone,
    // or drawn again from a kept copy.
    const auto& after = view.Counts();
    const double frames = double(state.iterations());
    state.counters["kept"] = double(after.framesKept - before.framesKept) / frames;
    state.counters["patched"] = double(after.framesPatched - before.framesPatched) / frames;
    state.counters["resumed"] = double(after.framesResumed - before.framesResumed) / frames;
}

// Leon's cell, in the middle of the view.
void BM_Chapter2OpeningView_PointerOnCell(benchmark::State& state) { Run(state, 320, 240); }
BENCHMARK(BM_Chapter2OpeningView_PointerOnCell)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Chapter2OpeningView_PointerOnMinimap(benchmark::State& state) { Run(state, 500, 380); }
BENCHMARK(BM_Chapter2OpeningView_PointerOnMinimap)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Chapter2OpeningView_PointerOutside(benchmark::State& state) { Run(state, 700, 530); }
BENCHMARK(BM_Chapter2OpeningView_PointerOutside)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Outside until the view rests on the map's corner, then on a cell there.
void BM_Chapter2OpeningView_PointerOnCellAtCorner(benchmark::State& state) { Run(state, 700, 530, 320, 240); }
BENCHMARK(BM_Chapter2OpeningView_PointerOnCellAtCorner)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
