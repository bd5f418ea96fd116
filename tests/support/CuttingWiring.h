#pragma once
// The cutting window's model (CuttingJob) and its materials table (Materials) as the
// cutting tests wire them: each to the other, to the fixture's settings, messages,
// prompt, drawing, dispatcher and main window state. Fixtures keep the parts as members
// and build both models from the services made here, adding their own seams (pendants,
// clock) on top.
#include "app/windows/CuttingJob.h"
#include "app/windows/Materials.h"
#include "controller/ControllerDispatcher.h"
#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"

namespace wirvela::test {

struct CuttingWiring {
    TParameters& parameters;
    const TMessages& messages;
    Prompt& prompt;
    TDrawing& drawing;
    ControllerDispatcher& dispatcher;
    LoaderWindowState& mainWindow;

    // The cutting window's services; `materials` may still be unconstructed (only its
    // address is kept).
    CuttingJob::Services JobServices(Materials& materials) const {
        CuttingJob::Services s;
        s.parameters = &parameters;
        s.messages = &messages;
        s.prompt = &prompt;
        s.drawing = &drawing;
        s.dispatcher = &dispatcher;
        s.materials = &materials;
        s.mainWindow = &mainWindow;
        return s;
    }

    // The materials table's services, reporting to `job`.
    Materials::Services MaterialServices(CuttingJob& job) const {
        Materials::Services s;
        s.parameters = &parameters;
        s.messages = &messages;
        s.prompt = &prompt;
        s.cutting = &job;
        return s;
    }
};

}  // namespace wirvela::test
