#include "import/old_format_signature.h"

#include "core/read_only_file.h"

namespace hv::import {

namespace {

// The engine writes a page-0 marker and its name into the first bytes of
// every file, followed by the version of the format.
constexpr char kPageMarker[] = {0x00, 0x01, 0x00, 0x00};
constexpr char kJetName[] = "Standard Jet DB";
constexpr char kAceName[] = "Standard ACE DB";
constexpr int kNameOffset = 4;
constexpr int kVersionOffset = 0x14;

}  // namespace

OldFormatSignature::Kind OldFormatSignature::of(const QString& path)
{
    // Only a regular file is read, and never waited for: a pipe in the
    // database's place is no old file.
    fs::ReadOnlyFile file(path);
    const QByteArray head = file.readStart(kVersionOffset + 1);
    if (head.size() <= kVersionOffset || !head.startsWith(QByteArray(kPageMarker, sizeof kPageMarker)))
        return NotOldFormat;
    // The name is stored with its terminating zero.
    const QByteArray name = head.mid(kNameOffset, sizeof kJetName);
    if (name == QByteArray(kAceName, sizeof kAceName))
        return NewerEngine;
    if (name != QByteArray(kJetName, sizeof kJetName))
        return NotOldFormat;
    switch (static_cast<unsigned char>(head.at(kVersionOffset))) {
    case 0: return Jet3;
    case 1: return Jet4;
    default: return NewerEngine;
    }
}

}  // namespace hv::import
