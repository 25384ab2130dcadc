#pragma once

// N_ marks an English text for the catalogues where it is translated later (a caption that the
// window translation walks, a table entry); the catalogue check finds it in the sources.
#define N_(text) text
