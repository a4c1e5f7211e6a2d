#include "core/util/whole_write.h"

#include <unistd.h>

#include <cerrno>
#include <cstddef>

int writeWhole(int descriptor, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t put = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put < 0 && errno == EINTR) {
            continue;
        } else {
            return put < 0 ? errno : EIO;
        }
    }
    return 0;
}
