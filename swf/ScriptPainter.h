#pragma once

// What script draws through the renderer (BitmapData.draw of a clip,
// BitmapData.applyFilter): the player hands it to the script host, which
// sits below the renderer and cannot reach it itself.

namespace swf {

class Stage;

namespace script {
class StageHost;
} // namespace script

void installScriptPainter(script::StageHost& host, const Stage& stage);

} // namespace swf
