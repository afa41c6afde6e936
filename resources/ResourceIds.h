/* The setup program's resource ids: the one table that its resource script and its code both
   read. Plain C preprocessor definitions, so that the resource compiler can include it too. */
#ifndef VELMORA_RESOURCE_IDS_H
#define VELMORA_RESOURCE_IDS_H

#define IDI_SETUP 1     /* the application icon */
#define IDR_MANIFEST 1  /* the manifest (resource type 24) */

/* The page pictures, JPEG: picture A (environment, features, licence, progress), welcome, finish,
   location. */
#define IDR_PAGE_A 101
#define IDR_PAGE_WELCOME 102
#define IDR_PAGE_FINISH 103
#define IDR_PAGE_LOCATION 104

/* The progress track and bar. */
#define IDB_PROGRESS_TRACK 201
#define IDB_PROGRESS_BAR 202

/* The button sets: Up, Hot, Down and Disabled; the close set has no Disabled, the mixed set takes
   Up and Disabled from the wide one. */
#define IDB_WIDE_UP 301
#define IDB_WIDE_HOT 302
#define IDB_WIDE_DOWN 303
#define IDB_WIDE_DISABLED 304
#define IDB_CANCEL_UP 311
#define IDB_CANCEL_HOT 312
#define IDB_CANCEL_DOWN 313
#define IDB_CANCEL_DISABLED 314
#define IDB_CLOSE_UP 321
#define IDB_CLOSE_HOT 322
#define IDB_CLOSE_DOWN 323
#define IDB_MIXED_HOT 331
#define IDB_MIXED_DOWN 332

/* The strip of six radio glyphs. */
#define IDB_RADIO_STRIP 401

#endif
