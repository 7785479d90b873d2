// Builds the test programs' shared precompiled header.
