#pragma once

// Pieces the benchmark programs share.

#include "platform/error_report.h"

#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace volmarin::bench {

// Writes a photo-like JPEG (gradients, a checker and noise) at quality 90, 4:2:0: baseline,
// or progressive with libjpeg's standard scan script; with an Exif Orientation tag when
// orientation is 1 to 8, as a phone stores a photo taken upright or sideways.
bool writeTestPhoto(const QString& path, int width, int height, bool progressive = false,
                    int orientation = 0);

// The least any full-size decode must do: every scanline of the file, with the program's
// settings (JDCT_ISLOW, fancy upsampling), into one reused row buffer.
void bareDecode(const QString& path);

double median(std::vector<double> values);

// Resident memory of this process, in MiB.
double residentMb();

// The program's application object off screen, with a temporary folder as the working
// directory for the run, so that the settings file the windows write stays there; the
// working directory is given back at the end.
class OffscreenRun {
public:
    OffscreenRun(int& argc, char** argv);
    ~OffscreenRun();
    OffscreenRun(const OffscreenRun&) = delete;
    OffscreenRun& operator=(const OffscreenRun&) = delete;

    QString folder() const { return folder_.path(); }

private:
    bool offscreen_;
    VolmarinApplication app_;
    QTemporaryDir folder_;
    QString previous_;
};

} // namespace volmarin::bench
