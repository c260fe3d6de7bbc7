#include "kadrix/workstation/sketch_templates.h"

#include <unistd.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace kadrix::workstation {
namespace fs = std::filesystem;

namespace {

// A front view of a body: head, trunk, arms and legs as one outline, with the organ an
// instrument looks at drawn inside.
QImage bodyOutline(const std::string& code) {
    QImage picture(240, 320, QImage::Format_RGB888);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.drawEllipse(QRectF(95, 10, 50, 56));                       // head
    QPainterPath trunk;
    trunk.moveTo(85, 75);
    trunk.lineTo(155, 75);
    trunk.lineTo(190, 170);                                       // right arm
    trunk.lineTo(176, 176);
    trunk.lineTo(150, 115);
    trunk.lineTo(150, 185);
    trunk.lineTo(160, 305);                                       // right leg
    trunk.lineTo(130, 305);
    trunk.lineTo(120, 200);
    trunk.lineTo(110, 305);                                       // left leg
    trunk.lineTo(80, 305);
    trunk.lineTo(90, 185);
    trunk.lineTo(90, 115);
    trunk.lineTo(64, 176);                                        // left arm
    trunk.lineTo(50, 170);
    trunk.closeSubpath();
    p.drawPath(trunk);
    p.setPen(QPen(QColor(180, 80, 80), 2));
    if (code.rfind("WJ", 0) == 0)
        p.drawEllipse(QRectF(112, 110, 30, 22));  // stomach
    else if (code.rfind("CJ", 0) == 0)
        p.drawRoundedRect(QRectF(100, 140, 40, 36), 10, 10);  // colon
    else if (code.rfind("BC", 0) == 0)
        p.drawEllipse(QRectF(96, 100, 28, 20));  // liver
    else
        p.drawRect(QRectF(95, 85, 50, 60));  // chest
    return picture;
}

}  // namespace

void writeSketchTemplates(const fs::path& folder, const std::vector<Instrument>& instruments) {
    std::error_code ec;
    for (const Instrument& instrument : instruments) {
        if (instrument.instCode.empty()) continue;
        const fs::path file = folder / (instrument.instCode + ".bmp");
        if (fs::exists(file, ec)) continue;
        const fs::path temp = file.string() + ".tmp-" + std::to_string(::getpid());
        if (bodyOutline(instrument.instCode).save(QString::fromStdString(temp.string()), "BMP")) fs::rename(temp, file, ec);
        if (fs::exists(temp, ec)) fs::remove(temp, ec);  // a failed save or rename leaves nothing
    }
}

}  // namespace kadrix::workstation
