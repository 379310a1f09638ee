#include "core/error.h"

#include <cerrno>
#include <cstring>

namespace tvx {

Cause CauseOfErrno(int osError) {
    switch (osError) {
    case ENOENT:
    case ENOTDIR:
        return Cause::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return Cause::Access;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Cause::DiskFull;
    default:
        return Cause::Io;
    }
}

std::string DescribeError(const Error& error) {
    if (!error.detail.empty())
        return error.detail;
    if (error.osError > 0)
        return std::strerror(error.osError);
    switch (error.cause) {
    case Cause::DiskFull:
        return "The disk is full";
    case Cause::BadFormat:
        return "Not a regular file";
    case Cause::NotFound:
        return "No such file or directory";
    case Cause::Access:
        return "Permission denied";
    case Cause::Io:
        break;
    }
    return "Input/output error";
}

}  // namespace tvx
