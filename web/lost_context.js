// The page's WebGL context may be missing, or may go and come back. A
// desktop GL context is there from the window's creation until it closes;
// in a browser WebGL can be switched off or blocked, and a context can be
// taken away at any time (phones do it to background tabs, GPU resets do it
// anywhere) and handed back later, empty.
//
// Emscripten's legacy GL emulation has no notion of either. It keeps its own
// objects for the context it started with (a record with temporary vertex
// and index buffers, the shader programs of the fixed-function pipeline it
// builds, and which of them it believes bound), and after a restore it goes
// on using them though they died with the old context; the canvas stays
// black. Only the matrix stacks live on its JavaScript side and survive.
// So when the browser gives the context back, the emulation is started
// again on it (a fresh record, fresh buffers, programs built anew as they
// are needed) with its matrices kept, the one piece of GL state the program
// sets (the clear colour) is set again, and the frame is drawn at once.
// Until then the ticks go on (the trace does not stop, as the desktop
// program's does not while its window is covered) and nothing is drawn.
//
// Checked against emscripten 3.1.6 (Debian 12), 3.1.69 (Debian 13) and 6.0.5
// (Debian testing), the releases web/CMakeLists.txt lets the page be made
// with: it reaches GL's context records (registerContext, contexts,
// makeContextCurrent, currentContext), GLImmediate's matrices, renderer
// cache and init, GLUT.displayFunc, callUserCallback and makeDynCall.
mergeInto(LibraryManager.library, {
  $lostContext__deps: ['$GL', '$GLImmediate', '$GLUT', '$callUserCallback', 'glClearColor'],
  $lostContext: {
    lost: false,
    clearColour: null,

    watch: function(canvas) {
      canvas.addEventListener('webglcontextlost', function(event) {
        // Without this the browser never hands the context back.
        event.preventDefault();
        lostContext.lost = true;
      });
      canvas.addEventListener('webglcontextrestored', function() {
        lostContext.restart();
        lostContext.lost = false;
        // The restored canvas is empty: the frame is drawn again at once,
        // not at the next animation frame, so nothing can read it empty.
        if (GLUT.displayFunc) {
          callUserCallback(function() {
            {{{ makeDynCall('v', 'GLUT.displayFunc') }}}();
          });
        }
      });
    },

    restart: function() {
      var old = GL.currentContext;
      var handle = GL.registerContext(old.GLctx, old.attributes);
      GL.contexts[old.handle] = null;
      GL.makeContextCurrent(handle);
      GLctx.currentArrayBufferBinding = 0;
      GLctx.currentElementArrayBufferBinding = 0;
      GL.currProgram = 0;

      var matrices = {
        matrix: GLImmediate.matrix,
        matrixStack: GLImmediate.matrixStack,
        currentMatrix: GLImmediate.currentMatrix,
      };
      GLImmediate.init();
      GLImmediate.matrix = matrices.matrix;
      GLImmediate.matrixStack = matrices.matrixStack;
      GLImmediate.currentMatrix = matrices.currentMatrix;
      GLImmediate.matricesModified = true;
      GLImmediate.currentRenderer = null;
      GLImmediate.lastRenderer = null;
      GLImmediate.lastArrayBuffer = null;
      GLImmediate.lastProgram = null;
      GLImmediate.fixedFunctionProgram = 0;

      if (lostContext.clearColour) {
        _glClearColor.apply(null, lostContext.clearColour);
      }
    },
  },

  windowOrNotice__deps: ['$lostContext', 'glutCreateWindow'],
  windowOrNotice__sig: 'ii',
  windowOrNotice: function(title) {
    var created = _glutCreateWindow(title);
    if (!created) {
      if (Module['noWebGL']) {
        Module['noWebGL']();
      }
      // Ends the program here and leaves the page as it is, as
      // emscripten_exit_with_live_runtime does.
      throw 'unwind';
    }
    lostContext.watch(Module['canvas']);
    return created;
  },

  restorableClearColor__deps: ['$lostContext', 'glClearColor'],
  restorableClearColor__sig: 'vffff',
  restorableClearColor: function(red, green, blue, alpha) {
    lostContext.clearColour = [red, green, blue, alpha];
    _glClearColor(red, green, blue, alpha);
  },

  redisplayUnlessLost__deps: ['$lostContext', 'glutPostRedisplay'],
  redisplayUnlessLost__sig: 'v',
  redisplayUnlessLost: function() {
    if (!lostContext.lost) {
      _glutPostRedisplay();
    }
  },
});
