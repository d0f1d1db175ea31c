#pragma once

// A print job the host opened for a movie's script (PrintJob): the paper
// the person chose, then pages handed over as pixels, and nothing printed
// until the job is sent. A spool dropped unsent prints nothing.

class QImage;

namespace swf::script {

// In points, 1/72 inch, as script reads them.
struct PrintPaper {
    double paperWidth = 0;
    double paperHeight = 0;
    // The part of the sheet the printer can print on.
    double pageWidth = 0;
    double pageHeight = 0;
    bool landscape = false;
};

class PrintSpool {
public:
    virtual ~PrintSpool() = default;
    virtual PrintPaper paper() const = 0;
    // One page: `pixels` (premultiplied ARGB32) cover `width` by `height`
    // points from the top left of the printable area. False when the
    // printer would not take it.
    virtual bool addPage(const QImage& pixels, double width, double height) = 0;
    // Prints the pages added so far; false when the printer failed.
    virtual bool send() = 0;
};

} // namespace swf::script
