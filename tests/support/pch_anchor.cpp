// The one source of the targets that build the test programs' precompiled headers.
