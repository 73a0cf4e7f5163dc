#pragma once

#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QString>

class QWidget;

namespace hv {

class SkinFramework;

// The look all windows share: the main window's skin, the button-face
// background of the other windows, the application icon and title, the
// hand pointer image and the windows' fonts. Failures raise RuntimeError for
// the calling window's error report; nothing here shows a message.
namespace appearance {

// The program folder's skin file and hand pointer image.
QString skinFile();
QString handPointerFile();

// The application title made from a product name: the name without its last
// word, cut word by word until it is at most 40 characters. A name of one
// word is kept whole (cut to 40 characters if it is longer).
QString titleFromProductName(const QString& productName);

// Reads a cursor file (.CUR) as a pointer with the file's own hot spot.
// Raises "Invalid picture" (481) for anything else.
QCursor loadPointerImage(const QString& path);

// Arial 9 pt bold for windows and their boxes, 11.25 pt bold for push buttons.
QFont windowFont();
QFont buttonFont();

}  // namespace appearance

// Skins the main window when the skin file is present (a file: a folder of
// that name is passed over): button-face
// background for the window and its labels, check boxes, option buttons and
// frames, then the skin loaded, its options set and laid over the window.
// Without the file the window keeps its designed white background.
void ApplySkin(QWidget& form1, SkinFramework& skin);

// Gives the window and its labels, check boxes, option buttons and frames
// the system's button-face colour as background and its button-text colour
// as foreground. Both follow the desktop's colour scheme, as the colours are
// taken from the palette when drawn.
void SetFormColors(QWidget& window);

// Sets the title of message boxes that name no caption of their own.
void SetAppTitle();

// The one icon of every window.
const QIcon& applicationIcon();

}  // namespace hv
