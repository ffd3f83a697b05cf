/* The browser build's platform header: Allegro's portable Unix core with C blitters only;
 * the drivers are the page's own (alweb.h), not X11's or ALSA's. */
#define ALLEGRO_UNIX
#define ALLEGRO_WEB

#define ALLEGRO_NO_ASM
#define ALLEGRO_USE_C
