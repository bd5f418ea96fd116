#pragma once
// Every message of local.txt that some part of the program shows, with the printf
// conversions the showing part passes. The start-up check of local.txt reports a file
// that lacks one of them; the test of the shipped file checks each text against its
// conversions. When a part starts using a new message, add it here.
#include <vector>

namespace wirvela {

struct UsedMessage {
    int key;
    // The conversions the using part passes, in order ("" for a text shown as it is).
    const char* placeholders;
};

// Every key once, grouped by the part that shows it.
const std::vector<UsedMessage>& UsedMessages();

}  // namespace wirvela
