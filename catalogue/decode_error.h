#pragma once

#include <stdexcept>

namespace volmarin {

// A picture that cannot be read. The text is one line naming the file and the reader's
// reason, ready for the general error report.
class DecodeError : public std::runtime_error {
    using runtime_error::runtime_error;
};

// A decode given up because its caller raised the cancel flag: nobody waits for the
// picture any more. The text names the file like that of any DecodeError.
class DecodeCancelled : public DecodeError {
    using DecodeError::DecodeError;
};

} // namespace volmarin
