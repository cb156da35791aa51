// The one source of the targets that build the shared precompiled headers (cs_add_pch).
