// Controls over a window that another program draws into (the engine's video, see
// Container::ShareWindow): each is a window of its own stacked above it, so that program's
// drawing stops at its edges and our painting never touches that program's pixels. The window
// shows only what its control draws: the outline of a shape, the letters of a transparent label
// (with a rim that keeps them readable over any picture), a whole opaque label. What lets the
// mouse through (a shape) lets it through to the window below.
#pragma once

class QWidget;

namespace vb {

void MakeOverlay(QWidget* w);

}  // namespace vb
