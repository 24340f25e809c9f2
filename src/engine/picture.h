#pragma once

// How pictures are decoded everywhere. Pictures beyond the allocation limit
// fail like undecodable ones, so a huge or malicious file can neither exhaust
// memory nor crash the program.
class Picture {
public:
    static constexpr int AllocationLimitMb = 512; // a 24 MP photo needs about 92 MB
    // How long the UI waits for a path to answer (a dead network share)
    // before it takes the picture as unreadable.
    static constexpr int GiveUpMs = 5000;

    // Raises Qt's allocation limit for every decoder. Call it once, before
    // anything decodes: the limit is shared by all threads.
    static void setUpDecoding();
};
