#pragma once

// N_ marks an English text for the catalogues where it is translated later (a caption that the
// window translation walks, a table entry, a text of a layer below the translator); the
// catalogue check finds it in the sources. It lives in the lowest layer so that every layer can
// mark its texts.
#define N_(text) text
