/* What Emscripten's C library offers, in place of the header Allegro's configure writes.
 * No pthread: a page has one thread, so the timer is driven from the browser's clock. */
#define ALLEGRO_COLOR8
#define ALLEGRO_COLOR16
#define ALLEGRO_COLOR24
#define ALLEGRO_COLOR32

#define ALLEGRO_HAVE_DIRENT_H
#define ALLEGRO_HAVE_INTTYPES_H
#define ALLEGRO_HAVE_STDINT_H
#define ALLEGRO_HAVE_SYS_STAT_H
#define ALLEGRO_HAVE_SYS_TIME_H
#define ALLEGRO_HAVE_MEMCMP
#define ALLEGRO_HAVE_MKSTEMP

#define ALLEGRO_LITTLE_ENDIAN
#define ALLEGRO_NO_ASM
#define ALLEGRO_USE_CONSTRUCTOR

#define RETSIGTYPE void
