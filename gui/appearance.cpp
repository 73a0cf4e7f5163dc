#include "gui/appearance.h"

#include "core/app_config.h"
#include "core/file_system.h"
#include "gui/skin_framework.h"
#include "gui/ui_seam.h"
#include "core/runtime_error.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QtEndian>
#include <array>

namespace hv {

namespace appearance {

namespace {

constexpr qsizetype kLongestTitle = 40;

// Cuts the text just before its last blank; false when it has none.
bool removeLastWord(QString& text)
{
    const qsizetype blank = text.lastIndexOf(QLatin1Char(' '));
    if (blank < 0)
        return false;
    text.truncate(blank);
    return true;
}

RuntimeError invalidPicture(const QString& path, const QString& why)
{
    return RuntimeError(err::InvalidPicture, QStringLiteral("Invalid picture: '%1' (%2)").arg(path, why));
}

QFont arialBold(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

}  // namespace

QString skinFile()
{
    return fs::programFolder() + QStringLiteral("/x/o.cjs");
}

QString handPointerFile()
{
    return fs::programFolder() + QStringLiteral("/HAND-M.CUR");
}

QString titleFromProductName(const QString& productName)
{
    QString title = productName;
    if (removeLastWord(title)) {
        while (title.size() > kLongestTitle && removeLastWord(title)) {
        }
    }
    if (title.size() > kLongestTitle)
        title.truncate(kLongestTitle);
    return title;
}

QCursor loadPointerImage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw invalidPicture(path, file.errorString());
    // A cursor file is small; anything large is not one.
    constexpr qint64 kLargest = 1 << 20;
    if (file.size() > kLargest)
        throw invalidPicture(path, QStringLiteral("not a cursor file"));
    const QByteArray bytes = file.readAll();

    // The directory (reserved 0, type 2 for a cursor, image count) and the
    // first image's entry, whose planes and bit-count fields hold the hot spot.
    constexpr int kDirectory = 6;
    constexpr int kEntry = 16;
    const auto word = [&](int offset) {
        return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(bytes.constData()) + offset);
    };
    if (bytes.size() < kDirectory + kEntry || word(0) != 0 || word(2) != 2 || word(4) == 0)
        throw invalidPicture(path, QStringLiteral("not a cursor file"));
    const int hotX = word(kDirectory + 4);
    const int hotY = word(kDirectory + 6);

    QImage image;
    if (!image.loadFromData(bytes, "CUR") || image.isNull())
        throw invalidPicture(path, QStringLiteral("the image cannot be read"));
    if (hotX >= image.width() || hotY >= image.height())
        throw invalidPicture(path, QStringLiteral("the hot spot lies outside the image"));
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

QFont windowFont()
{
    return arialBold(9);
}

QFont buttonFont()
{
    return arialBold(11.25);
}

}  // namespace appearance

namespace {

// The button face as background, with the text colour that goes with it, so
// that the text stays readable under any colour scheme.
void setButtonFaceBackground(QWidget& widget)
{
    widget.setBackgroundRole(QPalette::Button);
    widget.setForegroundRole(QPalette::ButtonText);
    widget.setAutoFillBackground(true);
}

// The window and the controls that take its colour: option buttons, check
// boxes, frames and labels, inside frames too.
void recolour(QWidget& window)
{
    setButtonFaceBackground(window);
    const auto children = window.findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) || qobject_cast<QGroupBox*>(child)
            || qobject_cast<QLabel*>(child))
            setButtonFaceBackground(*child);
    }
}

}  // namespace

void ApplySkin(QWidget& form1, SkinFramework& skin)
{
    const QString path = appearance::skinFile();
    if (!fs::fileListed(path))
        return;
    recolour(form1);
    skin.LoadSkin(path, QString());
    skin.SetApplyOptions(skin.ApplyOptions() | SkinFramework::kApplyControls);
    skin.SetSetting(SkinFramework::kSkinButtons, true);
    skin.SetSetting(SkinFramework::kSkinLists, true);
    skin.ApplyWindow(form1);
}

void SetFormColors(QWidget& window)
{
    recolour(window);
}

void SetAppTitle()
{
    UiSeam::setApplicationTitle(appearance::titleFromProductName(config::kProductName));
}

const QIcon& applicationIcon()
{
    static const QIcon icon = [] {
        QIcon result;
        QSvgRenderer renderer(QStringLiteral(":/hourvane/hourvane.svg"));
        if (!renderer.isValid())
            return result;
        for (int size : std::array{16, 24, 32, 48, 64, 128, 256}) {
            QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter);
            painter.end();
            result.addPixmap(QPixmap::fromImage(image));
        }
        return result;
    }();
    return icon;
}

}  // namespace hv
