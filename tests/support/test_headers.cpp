// Nothing of its own: the target that makes the tests' precompiled headers
// needs one file to make them for.
