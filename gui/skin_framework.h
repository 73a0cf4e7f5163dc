#pragma once

#include <QHash>
#include <QString>

class QWidget;

namespace hv {

// The skin component the main window carries: it loads a skin file (a Qt
// style sheet in parts) and lays it over a window. The text before the first
// "/* @part name */" marker is the skin's base and always applies; the parts
// "controls", "buttons" and "lists" apply when their option is on.
class SkinFramework {
public:
    // Apply-options bit: skin the window's labels, check boxes and frames.
    static constexpr int kApplyControls = 1;
    // Settings switched by number: 5 skins push buttons, 10 skins lists.
    static constexpr int kSkinButtons = 5;
    static constexpr int kSkinLists = 10;

    // Reads the skin file. An empty section loads the whole file; a named
    // section loads that part alone. Raises RuntimeError when the file cannot
    // be read or the section is not in it; the skin loaded before stays.
    void LoadSkin(const QString& path, const QString& section);

    int ApplyOptions() const { return m_applyOptions; }
    void SetApplyOptions(int options) { m_applyOptions = options; }

    // The boolean settings by number (kSkinButtons, kSkinLists). Raises
    // RuntimeError for a number the component does not have.
    void SetSetting(int id, bool on);
    bool Setting(int id) const;

    // The style sheet the current skin and options give.
    QString styleSheet() const;

    // Lays the skin over the window and its controls. Raises RuntimeError
    // when no skin has been loaded.
    void ApplyWindow(QWidget& window) const;

    bool loaded() const { return m_loaded; }

private:
    QHash<QString, QString> m_parts;  // part name -> text; "" is the base
    bool m_loaded = false;
    int m_applyOptions = 0;
    bool m_skinButtons = false;
    bool m_skinLists = false;
};

}  // namespace hv
