// PLACEHOLDER: the zlib adapter is being written.
