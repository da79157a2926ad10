// A Qt class named by pasting two tokens together.
#define JOIN(a, b) a##b
JOIN(Q, Image) *picture = nullptr;
