// Keeps the whole release in one cache of its own, so the game plays offline, music and all.
// Release.cmake fills in the release's name and its files. A new release brings a new worker:
// it fills a cache of its own while the old one goes on serving, and takes over only when no
// page of the old release is open, so a page never gets files of two releases.
"use strict";

var RELEASE = "@VELLMORA_RELEASE@";
var FILES = "@VELLMORA_FILES@".split(" ");
// Two copies of the game at two addresses of one site keep out of each other's caches.
var CACHE = RELEASE + " " + self.registration.scope;

self.addEventListener("install", function (event) {
  // Each file confirmed by the server, not the browser's HTTP cache, which may still hold
  // the release before.
  var requests = FILES.map(function (file) { return new Request(file, { cache: "no-cache" }); });
  event.waitUntil(caches.open(CACHE).then(function (cache) { return cache.addAll(requests); }));
});

self.addEventListener("activate", function (event) {
  var mine = " " + self.registration.scope;
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name !== CACHE && name.slice(-mine.length) === mine;
    }).map(function (name) { return caches.delete(name); }));
  }));
});

// The page's address itself (with or without ?calm) is index.html.
function cached(cache, request) {
  if (request.mode === "navigate" && request.url.split("?")[0] === self.registration.scope)
    return cache.match("index.html");
  return cache.match(request, { ignoreSearch: true });
}

self.addEventListener("fetch", function (event) {
  if (event.request.method !== "GET")
    return;
  event.respondWith(caches.open(CACHE).then(function (cache) {
    return cached(cache, event.request);
  }).then(function (found) {
    return found || fetch(event.request);
  }));
});
