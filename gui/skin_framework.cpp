#include "gui/skin_framework.h"

#include "core/runtime_error.h"

#include <QFile>
#include <QRegularExpression>
#include <QWidget>

namespace hv {

namespace {

// Splits a skin into its base text and its marked parts.
QHash<QString, QString> splitParts(const QString& sheet)
{
    static const QRegularExpression marker(QStringLiteral(R"(/\*\s*@part\s+([A-Za-z0-9_-]+)\s*\*/)"));
    QHash<QString, QString> parts;
    QString current;
    qsizetype start = 0;
    auto it = marker.globalMatch(sheet);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        parts[current] += sheet.mid(start, match.capturedStart() - start);
        current = match.captured(1).toLower();
        start = match.capturedEnd();
    }
    parts[current] += sheet.mid(start);
    return parts;
}

}  // namespace

void SkinFramework::LoadSkin(const QString& path, const QString& section)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw RuntimeError(err::FileNotFound, QStringLiteral("Cannot load the skin '%1': %2").arg(path, file.errorString()));
    const QString sheet = QString::fromUtf8(file.readAll());
    QHash<QString, QString> parts = splitParts(sheet);
    if (!section.isEmpty()) {
        const QString wanted = section.toLower();
        if (!parts.contains(wanted))
            throw RuntimeError(err::InvalidProcedureCall,
                               QStringLiteral("The skin '%1' has no section '%2'").arg(path, section));
        parts = {{QString(), parts.value(wanted)}};
    }
    m_parts = std::move(parts);
    m_loaded = true;
}

void SkinFramework::SetSetting(int id, bool on)
{
    switch (id) {
    case kSkinButtons: m_skinButtons = on; break;
    case kSkinLists: m_skinLists = on; break;
    default: throw RuntimeError(err::ObjectDoesNotSupport, QStringLiteral("Object doesn't support this property or method"));
    }
}

bool SkinFramework::Setting(int id) const
{
    switch (id) {
    case kSkinButtons: return m_skinButtons;
    case kSkinLists: return m_skinLists;
    default: throw RuntimeError(err::ObjectDoesNotSupport, QStringLiteral("Object doesn't support this property or method"));
    }
}

QString SkinFramework::styleSheet() const
{
    QString sheet = m_parts.value(QString());
    if (m_applyOptions & kApplyControls)
        sheet += m_parts.value(QStringLiteral("controls"));
    if (m_skinButtons)
        sheet += m_parts.value(QStringLiteral("buttons"));
    if (m_skinLists)
        sheet += m_parts.value(QStringLiteral("lists"));
    return sheet;
}

void SkinFramework::ApplyWindow(QWidget& window) const
{
    if (!m_loaded)
        throw RuntimeError(err::InvalidProcedureCall, QStringLiteral("No skin is loaded"));
    window.setStyleSheet(styleSheet());
}

}  // namespace hv
