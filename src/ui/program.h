// One run of the program: the shared context, the registry reader's module state and the four
// windows wired to their procedures. `start` shows the splash window, which hands over to the
// main window.
#pragma once

#include "engine/context.h"
#include "registry/wr.h"

namespace pakscour {

class Program {
  public:
    explicit Program(Platform platform);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Context& context() { return ctx_; }
    WR& wr() { return wr_; }

    // Loads and shows frmSplash.
    void start();

  private:
    Context ctx_;
    WR wr_;
};

}  // namespace pakscour
