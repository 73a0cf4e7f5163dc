#pragma once

#include <QString>

namespace hv::import {

// What the first bytes of a file say about it: whether the old desktop
// database engine wrote it and in which version of its format. Only the
// engine's signature decides, never the file's name.
class OldFormatSignature {
public:
    enum Kind {
        NotOldFormat,  // no signature (or not a regular file, or one that cannot be read)
        Jet3,
        Jet4,
        NewerEngine  // the engine's later format (.accdb), which is not imported
    };

    static Kind of(const QString& path);
};

}  // namespace hv::import
