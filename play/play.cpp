// Play window sources.
