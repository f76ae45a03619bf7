// The canvas keeps the size the program gave its window: 500 pixels a side
// for each device pixel per CSS pixel (desktop_gl.cpp), which the page's
// style shows at 500 CSS pixels, or narrower on a narrow screen.
// emscripten 3.1's GLUT leaves the canvas alone. Later ones (6.0 here) set it
// to the size the page shows it at, in CSS pixels, when the main loop starts
// and whenever the browser window changes size: on a screen with two device
// pixels to each CSS pixel that halves the picture's resolution, and on a
// phone the program's first-size viewport no longer fits the smaller canvas.
// Where GLUT has that handler, it is replaced by one that keeps the size and
// tells the program, as emscripten 3.1's main loop start does.
//
// Checked against emscripten 3.1.6 (Debian 12), 3.1.69 (Debian 13) and
// 6.0.5 (Debian testing): it reaches GLUT.onResize and Browser.setCanvasSize.
mergeInto(LibraryManager.library, {
  keepCanvasSize__deps: ['$GLUT', '$Browser'],
  keepCanvasSize__sig: 'v',
  keepCanvasSize: function() {
    if (!GLUT.onResize) {
      return;
    }
    window.removeEventListener('resize', GLUT.onResize, true);
    GLUT.onResize = function() {
      var canvas = Module['canvas'];
      Browser.setCanvasSize(canvas.width, canvas.height);
    };
    window.addEventListener('resize', GLUT.onResize, true);
  },
});
