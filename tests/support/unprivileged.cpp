#include "support/unprivileged.h"

#include <QFile>
#include <unistd.h>

namespace hv::test {

namespace {
constexpr uid_t kNobody = 65534;
}

Unprivileged::Unprivileged()
{
    if (geteuid() != 0 || setegid(kNobody) != 0)
        return;
    if (seteuid(kNobody) != 0) {
        if (setegid(0) != 0)
            _exit(3);  // a test must never go on with the wrong ids
        return;
    }
    m_switched = true;
}

Unprivileged::~Unprivileged()
{
    if (m_switched) {
        if (seteuid(0) != 0 || setegid(0) != 0)
            _exit(3);  // a test must never go on with the wrong ids
    }
}

bool Unprivileged::binds() const
{
    return geteuid() != 0;
}

void Unprivileged::openToOthers(const QString& folder)
{
    QFile::setPermissions(folder, QFile::permissions(folder) | QFileDevice::ReadOther | QFileDevice::ExeOther
                                      | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
}

void Unprivileged::makeReadOnly(const QString& file, const QString& folder)
{
    openToOthers(folder);
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                      | QFileDevice::ExeOther);
}

void Unprivileged::makeWritable(const QString& folder)
{
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace hv::test
