// Code kept apart in a file of another ending.
inline QString Named() { return {}; }
