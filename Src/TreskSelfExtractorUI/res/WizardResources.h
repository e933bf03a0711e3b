#pragma once
// Resource numbers of the wizard's pictures (declared in Artwork.rc).

#define IDB_HEADING 144           // heading picture of the pages: a box, 48 x 48
#define IDB_SUCCESS 146           // finish page, success: green check, 48 x 48
#define IDB_ERROR 147             // finish page, error or cancellation: red cross, 48 x 48
#define IDB_REQUIREMENTS 149      // requirements page: warning triangle, 48 x 48
#define IDB_QUESTION 155          // overwrite and folder-delete prompts: question mark, 32 x 32
#define IDB_LICENSE_OPEN 168      // licence row not accepted: empty box, 14 x 14, magenta transparent
#define IDB_LICENSE_ACCEPTED 169  // licence row accepted: ticked box, 14 x 14, magenta transparent
#define IDB_NOTE 174              // finish page, setup starts on Finish or finished with notes: "i", 48 x 48
#define IDR_WELCOME_PNG 167       // welcome page picture, resource type "PNG", 300 x 170

// The same pictures drawn for 150 and 200 percent display scale, as PNG resources: the id of the
// 100 percent bitmap plus 1000 and 2000 (ScaledArtId).
#define ART_ID_150 1000
#define ART_ID_200 2000
