#pragma once

#include <stdexcept>

namespace volmarin {

// A picture that cannot be read. The text is one line naming the file and the reader's
// reason, ready for the general error report.
class DecodeError : public std::runtime_error {
    using runtime_error::runtime_error;
};

} // namespace volmarin
