#pragma once

// What a drop onto a player window holds that could be played: a movie
// file dragged from a file manager, or an address dragged from a browser.

#include <QString>

class QDropEvent;
class QMimeData;

namespace platform {

// The first local file (as a native path) or http/https address in the
// data; the empty text when it holds neither. Folders are not movies.
QString droppedMovie(const QMimeData& data);

// For a window's drag enter and move events: takes the drag when it
// carries a movie, so that the pointer shows it can be dropped.
void acceptMovieDrag(QDropEvent& event);

// For a window's drop event: the movie dropped, the drop taken; the empty
// text, the drop refused, when there is none.
QString takeDroppedMovie(QDropEvent& event);

} // namespace platform
