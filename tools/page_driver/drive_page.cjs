// Opens the page in Debian's chromium, headless, with WebGL drawn by
// SwiftShader in software (or in Debian's Firefox ESR, which needs an X
// display for WebGL), works it as a person would, and reports what it does.
//
//   node drive_page.cjs --page FILE [--browser chromium|firefox] [--no-webgl] [--no-javascript]
//                       [--seconds S] [--scale RATIO] [--viewport WxH]
//                       [--pause-at S] [--reduced-motion] [--lose-context-at S]
//                       [--hide-at S]
//                       [--frames DIR] [--screenshot FILE] [--bench]
//
// Prints every trace line the page prints on standard output as it comes.
// With --seconds it stops that long after the first tick (otherwise on
// SIGTERM). Lines that start with '#' are the driver's own:
//   # NAME             something it did (paused, played, context lost,
//                      context restored, hidden, shown), between the trace
//                      lines around it
//   # button EVENT: WORDS  at the end too, what the pause button said once
//                      the first tick came (EVENT start) and after each
//                      pause and play
//   # notice EVENT: WORDS  likewise, what the notice over the picture said
//                      then (nothing when it is empty), and after the
//                      context was lost and when it came back
//   # trace-at EVENT: PIXELS  likewise, how far down the page the trace
//                      panel was
//   # title: WORDS     the page's title, as its tab and a bookmark show it
//   # fact NAME VALUE  at the end, what it measured (see pageFacts())
// --scale sets the device pixel ratio (default 1), --viewport the size of
//   the window in CSS pixels (default 900x560).
// --pause-at S pauses the page from the keyboard (Tab to the button, Space)
//   S seconds after the first tick, and plays it again (Enter) a second later.
// --reduced-motion runs the page as a device that asks for reduced motion:
//   it waits a second for a tick that must not come, then presses Play.
// --lose-context-at S takes the page's WebGL context away S seconds after
//   the first tick, and gives it back a second later.
// --hide-at S hides the page S seconds after the first tick, as a tab in
//   the background is hidden, and shows it again a second later. Headless
//   browsers never hide a page themselves, so the driver tells the page its
//   document is hidden, as the browser would.
// --no-webgl switches WebGL off in the browser, --no-javascript JavaScript,
//   and either reports what the page says after two seconds (# text end:
//   the words it shows, on one line).
// --frames DIR copies the canvas out about every 170 ms (never while its
//   context is lost) and writes DIR/frame-NN.png and DIR/frames.txt ("FILE
//   BEFORE AFTER": how many trace lines the page had printed just before
//   and just after the copy), and the page's favicon as DIR/favicon.png.
// --screenshot FILE writes a picture of the whole page at the end.
// --bench then also runs a bare 50 ms timer chain in the same browser for
//   as long, and prints the tick periods of both instead of the trace.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = (() => {
  try {
    return require('puppeteer-core');
  } catch (error) {
    // Installed beside this script from its lock file, not with the system.
    console.error(`drive_page: ${error.message}\n` +
                  `install the driver first: npm ci --ignore-scripts in ${__dirname} (scripts/web --check does)`);
    process.exit(2);
  }
})();

const browsers = {
    chromium: {
        browser: 'chrome',
        executablePath: '/usr/bin/chromium',
        args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--use-angle=swiftshader', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync',
               '--disable-quic', '--disable-background-timer-throttling', '--disable-renderer-backgrounding'],
        noWebGL: { args: ['--disable-webgl'] },
    },
    firefox: {
        browser: 'firefox',
        executablePath: '/usr/bin/firefox-esr',
        args: [],
        noWebGL: { extraPrefsFirefox: { 'webgl.disabled': true } },
    },
};

function parse(argv) {
    const options = { seconds: 0, scale: 1, viewport: '900x560', browser: 'chromium' };
    const flags = ['bench', 'reduced-motion', 'no-webgl', 'no-javascript'];
    const valued = ['page', 'browser', 'seconds', 'scale', 'viewport', 'pause-at', 'lose-context-at', 'hide-at',
                    'frames', 'screenshot'];
    for (let i = 2; i < argv.length; ++i) {
        const name = argv[i].replace(/^--/, '');
        if (flags.includes(name)) {
            options[name] = true;
        } else if (valued.includes(name) && i + 1 < argv.length) {
            options[name] = argv[++i];
        } else {
            throw new Error(`unknown argument ${argv[i]}`);
        }
    }
    if (!options.page) {
        throw new Error('--page FILE is needed');
    }
    if (!browsers[options.browser]) {
        throw new Error(`--browser is one of ${Object.keys(browsers).join(', ')}`);
    }
    for (const name of ['seconds', 'scale', 'pause-at', 'lose-context-at', 'hide-at']) {
        options[name] = options[name] === undefined ? undefined : Number(options[name]);
    }
    const [width, height] = options.viewport.split('x').map(Number);
    options.viewport = { width, height };
    return options;
}

// Runs in the page before its own scripts. The canvas keeps what was drawn
// (WebGL clears it after each frame otherwise, and a copy taken between
// frames would be black); every line given to the page's print is recorded
// with its time and text and handed to the driver (the page's own print is
// kept, to feed it lines of the driver's at the end); clicks (a button pressed from the
// keyboard clicks too), layout shifts and policy violations are counted.
function instrumentPage() {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (type, attributes) {
        return getContext.call(this, type, Object.assign({}, attributes, { preserveDrawingBuffer: true }));
    };
    window.traceTimes = [];
    window.traceTexts = [];
    window.clickTimes = [];
    window.layoutShift = 0;
    window.policyViolations = 0;
    document.addEventListener('click', () => window.clickTimes.push(performance.now()), true);
    document.addEventListener('securitypolicyviolation', () => ++window.policyViolations);
    if (typeof PerformanceObserver !== 'undefined' &&
        (PerformanceObserver.supportedEntryTypes || []).includes('layout-shift')) {
        new PerformanceObserver((list) => {
            for (const entry of list.getEntries()) {
                if (!entry.hadRecentInput) {
                    window.layoutShift += entry.value;
                }
            }
        }).observe({ type: 'layout-shift', buffered: true });
    } else {
        window.layoutShift = -1;
    }
    let module;
    Object.defineProperty(window, 'Module', {
        configurable: true,
        get() { return module; },
        set(value) {
            if (value && value.print && !value.print.traced) {
                const print = value.print;
                window.pagePrint = print;
                value.print = function (text) {
                    window.traceTimes.push(performance.now());
                    window.traceTexts.push(text);
                    window.traceLine(text);
                    print(text);
                };
                value.print.traced = true;
            }
            module = value;
        },
    });
}

// What the driver measured, for the checks to judge. Runs in the page.
async function pageFacts(scripting) {
    const root = document.documentElement;
    const canvas = document.getElementById('canvas').getBoundingClientRect();
    const pause = document.getElementById('pause');
    const gaps = window.traceTimes.slice(1).map((time, i) => time - window.traceTimes[i]);
    const clicks = window.clickTimes;
    const lastClick = clicks[clicks.length - 1];
    const firstAfterClick = window.traceTimes.find((time) => time > lastClick);
    const firstAfterShown = window.traceTimes.find((time) => time > window.shownAt);
    const linesBetween = (from, to) => window.traceTimes.filter((time) => time > from && time < to).length;
    // The policy is in force if an inline script added now does not run.
    // (Without JavaScript no script runs, and no timer either.)
    window.inlineScriptRan = 0;
    if (scripting) {
        const script = document.createElement('script');
        script.textContent = 'window.inlineScriptRan = 1;';
        document.body.appendChild(script);
        await new Promise((resolve) => setTimeout(resolve, 100));
    }
    const panel = document.getElementById('trace').getBoundingClientRect();
    const label = document.getElementById('canvas').getAttribute('aria-label') || '';
    return {
        'sideways-scroll': root.scrollWidth - root.clientWidth,
        'trace-below-picture': panel.top >= canvas.bottom ? 1 : 0,
        'trace-beside-picture': panel.left >= canvas.right && panel.top < canvas.bottom ? 1 : 0,
        'picture-label-words': label.split(/\s+/).filter(Boolean).length,
        'canvas-outside-view': Math.max(0, -canvas.left) + Math.max(0, canvas.right - root.clientWidth) +
            Math.max(0, -canvas.top),
        'layout-shift': window.layoutShift,
        'inline-script-blocked': window.inlineScriptRan ? 0 : 1,
        'policy-violations-before-check': window.policyViolations - (window.inlineScriptRan ? 0 : 1),
        'pause-offered': pause.offsetParent !== null && getComputedStyle(pause).visibility === 'visible' ? 1 : 0,
        'shortest-gap-ms': gaps.length ? Math.min(...gaps) : -1,
        'gap-after-last-click-ms': firstAfterClick === undefined ? -1 : firstAfterClick - lastClick,
        // Measured in the page: a line printed just after a click may reach
        // the driver before the click's own report does.
        'lines-before-first-click': clicks.length ? linesBetween(-Infinity, clicks[0]) : -1,
        'lines-between-first-clicks': clicks.length > 1 ? linesBetween(clicks[0], clicks[1]) : -1,
        'lines-while-hidden': window.shownAt === undefined ? -1 : linesBetween(window.hiddenAt, window.shownAt),
        'gap-after-shown-ms': firstAfterShown === undefined ? -1 : firstAfterShown - window.shownAt,
    };
}

// Someone reading older lines: the panel, reached with Tab from the pause
// button, scrolls from the keyboard (Page Down), and while they read, the
// ticks that come move nothing in view. Runs in the driver.
async function readingFacts(page) {
    await page.evaluate(() => document.getElementById('pause').focus());
    await page.keyboard.press('Tab');
    const reached = await page.evaluate(() => document.activeElement.id === 'trace');
    await page.keyboard.press('PageDown');
    await sleep(500);
    const topLine = () => page.evaluate(() => {
        const panel = document.getElementById('trace');
        return { line: panel.textContent.split('\n')[Math.round(panel.scrollTop / 17)],
                 scrolled: panel.scrollTop, printed: window.traceTexts.length };
    });
    const before = await topLine();
    await sleep(400);
    const after = await topLine();
    return {
        'panel-reached-by-tab': reached ? 1 : 0,
        'panel-scrolled-by-keyboard': before.scrolled > 0 ? 1 : 0,
        'lines-while-reading': after.printed - before.printed,
        'line-read-kept-in-view': before.scrolled > 0 && after.line === before.line ? 1 : 0,
    };
}

// The trace panel as a person reads it: the lines printed so far, newest at
// the top. Then, in one go so that no tick comes in between, 350 lines of
// the driver's own (1001 to 1350) go to the page's print: the panel must
// keep the last 300, newest at the top.
function tracePanelFacts() {
    const panelLines = () => document.getElementById('trace').textContent.split('\n');
    const shown = panelLines();
    const printed = window.traceTexts.slice(-300).reverse();
    const showsTrace = printed.length > 0 && shown.length === printed.length &&
        shown.every((line, i) => line === printed[i]);
    for (let line = 1001; line <= 1350; ++line) {
        window.pagePrint(String(line));
    }
    const fed = panelLines();
    return {
        'panel-shows-trace-newest-first': showsTrace ? 1 : 0,
        'panel-lines-after-feed': fed.length,
        'panel-top-after-feed': Number(fed[0]),
        'panel-bottom-after-feed': Number(fed[fed.length - 1]),
    };
}

// A bare timer chain: the floor for a 50 ms tick in this browser.
function timerChain(milliseconds) {
    return new Promise((resolve) => {
        const times = [];
        const end = performance.now() + milliseconds;
        const tick = () => {
            times.push(performance.now());
            if (performance.now() < end) {
                setTimeout(tick, 50);
            } else {
                resolve(times);
            }
        };
        setTimeout(tick, 0);
    });
}

function periods(times) {
    const gaps = [];
    for (let i = 1; i < times.length; ++i) {
        gaps.push(times[i] - times[i - 1]);
    }
    const sorted = [...gaps].sort((a, b) => a - b);
    const mean = gaps.reduce((a, b) => a + b, 0) / gaps.length;
    const p99 = sorted[Math.min(sorted.length - 1, Math.ceil(0.99 * sorted.length) - 1)];
    return { ticks: gaps.length, mean, p99 };
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Tabs to the pause button as a keyboard user does, and presses the key.
async function pressPauseButton(page, key) {
    for (let tabs = 0; tabs < 10; ++tabs) {
        if (await page.evaluate(() => document.activeElement && document.activeElement.id === 'pause')) {
            await page.keyboard.press(key);
            return;
        }
        await page.keyboard.press('Tab');
    }
    throw new Error('the pause button cannot be reached with Tab');
}

// While the context is lost its extensions cannot be had: the one that
// took it away is kept to give it back.
async function loseContext(page, lost) {
    await page.evaluate((lose) => {
        const canvas = document.getElementById('canvas');
        if (lose) {
            window.contextBack = false;
            window.contextGone = false;
            canvas.addEventListener('webglcontextlost', () => { window.contextGone = true; }, { once: true });
            canvas.addEventListener('webglcontextrestored', () => { window.contextBack = true; }, { once: true });
            window.loseContext = canvas.getContext('webgl').getExtension('WEBGL_lose_context');
            window.loseContext.loseContext();
        } else {
            window.loseContext.restoreContext();
        }
    }, lost);
    await page.waitForFunction((lose) => (lose ? window.contextGone : window.contextBack), { timeout: 10000 }, lost);
}

// Hides the page or shows it again, as the browser does when its tab goes
// to the background or comes back, and notes when in the page's own time.
async function setHidden(page, hidden) {
    await page.evaluate((hide) => {
        Object.defineProperty(document, 'hidden', { configurable: true, get: () => hide });
        Object.defineProperty(document, 'visibilityState', { configurable: true,
                                                             get: () => (hide ? 'hidden' : 'visible') });
        window[hide ? 'hiddenAt' : 'shownAt'] = performance.now();
        document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
}

async function main() {
    const options = parse(process.argv);
    const kind = browsers[options.browser];
    const launch = {
        browser: kind.browser,
        executablePath: kind.executablePath,
        headless: true,
        args: kind.args,
    };
    if (options['no-webgl']) {
        Object.assign(launch, kind.noWebGL, { args: kind.args.concat(kind.noWebGL.args || []) });
    }
    if (options.browser === 'chromium') {
        launch.userDataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'morvane-chromium-'));
    }
    const browser = await puppeteer.launch(launch);
    let stopping = false;
    const stop = async (status) => {
        if (!stopping) {
            stopping = true;
            await browser.close();
            process.exit(status);
        }
    };
    process.on('SIGTERM', () => stop(0));
    process.on('SIGINT', () => stop(0));
    try {
        const page = await browser.newPage();
        let consoleMessages = 0;
        let pageErrors = 0;
        // The check of the page's policy provokes a violation of its own.
        let checkingPolicy = false;
        page.on('console', (message) => {
            if (!checkingPolicy && ['error', 'warn', 'warning'].includes(message.type())) {
                ++consoleMessages;
                console.error(`console ${message.type()}: ${message.text()}`);
            }
        });
        page.on('pageerror', (error) => {
            ++pageErrors;
            console.error(`page error: ${error.message}`);
        });
        await page.setViewport({ ...options.viewport, deviceScaleFactor: options.scale });
        if (options['reduced-motion']) {
            await page.emulateMediaFeatures([{ name: 'prefers-reduced-motion', value: 'reduce' }]);
        }
        await page.exposeFunction('traceLine', (text) => {
            if (!options.bench) {
                process.stdout.write(`${text}\n`);
            }
        });
        await page.evaluateOnNewDocument(instrumentPage);
        if (options['no-javascript']) {
            await page.setJavaScriptEnabled(false);
        }
        await page.goto(`file://${path.resolve(options.page)}`);
        const event = (name) => process.stdout.write(`# ${name}\n`);
        const words = [];
        const buttonSays = async (name) => {
            const said = await page.evaluate(() => ({
                button: document.getElementById('pause').textContent,
                notice: document.getElementById('notice').textContent,
                traceTop: document.getElementById('trace').getBoundingClientRect().top + window.scrollY,
            }));
            words.push(['button', name, said.button], ['notice', name, said.notice], ['trace-at', name, said.traceTop]);
        };

        const lacking = options['no-webgl'] || options['no-javascript'];
        if (lacking) {
            await sleep(2000);
            words.push(['text', 'end', await page.evaluate(() => document.body.innerText.replace(/\s+/g, ' '))]);
        } else {
            if (options['reduced-motion']) {
                await page.waitForFunction(() => !document.getElementById('pause').classList.contains('unavailable'),
                                           { timeout: 60000 });
                await sleep(1000);
                await buttonSays('start');
                await pressPauseButton(page, 'Enter');
                event('played');
                await buttonSays('played');
            }
            // The time counts from the first tick, once the program runs.
            await page.waitForFunction(() => window.traceTimes.length > 0, { timeout: 60000 });
            if (!options['reduced-motion']) {
                await buttonSays('start');
            }

            const started = Date.now();
            const elapsed = () => (Date.now() - started) / 1000;
            const frames = [];
            const actions = [];
            if (options['pause-at'] !== undefined) {
                actions.push({ at: options['pause-at'], run: () => pressPauseButton(page, 'Space'), name: 'paused' });
                actions.push({ at: options['pause-at'] + 1, run: () => pressPauseButton(page, 'Enter'),
                               name: 'played' });
            }
            let contextLost = false;
            if (options['lose-context-at'] !== undefined) {
                actions.push({ at: options['lose-context-at'], name: 'context lost',
                               run: async () => { contextLost = true; await loseContext(page, true); } });
                actions.push({ at: options['lose-context-at'] + 1, name: 'context restored',
                               run: async () => { await loseContext(page, false); contextLost = false; } });
            }
            if (options['hide-at'] !== undefined) {
                actions.push({ at: options['hide-at'], name: 'hidden', run: () => setHidden(page, true) });
                actions.push({ at: options['hide-at'] + 1, name: 'shown', run: () => setHidden(page, false) });
            }
            actions.sort((a, b) => a.at - b.at);
            while (options.seconds <= 0 || elapsed() < options.seconds) {
                while (actions.length > 0 && elapsed() >= actions[0].at) {
                    const action = actions.shift();
                    await action.run();
                    event(action.name);
                    await buttonSays(action.name);
                }
                if (options.frames && !contextLost) {
                    frames.push(await page.evaluate(() => {
                        const before = window.traceTimes.length;
                        const data = document.getElementById('canvas').toDataURL('image/png');
                        return { before, data, after: window.traceTimes.length };
                    }));
                }
                await sleep(130 + 40 * (frames.length % 3));
            }
            if (options.frames) {
                fs.mkdirSync(options.frames, { recursive: true });
                const favicon = await page.evaluate(() => document.querySelector('link[rel=icon]').href);
                fs.writeFileSync(path.join(options.frames, 'favicon.png'),
                                 Buffer.from(favicon.split(',')[1], 'base64'));
                const index = frames.map((frame, i) => {
                    const name = `frame-${String(i).padStart(2, '0')}.png`;
                    fs.writeFileSync(path.join(options.frames, name),
                                     Buffer.from(frame.data.split(',')[1], 'base64'));
                    return `${name} ${frame.before} ${frame.after}\n`;
                });
                fs.writeFileSync(path.join(options.frames, 'frames.txt'), index.join(''));
            }
        }
        if (options.screenshot) {
            await page.screenshot({ path: options.screenshot });
        }
        if (options.bench) {
            const pagePeriods = periods((await page.evaluate(() => window.traceTimes)).slice(1));
            const blank = await browser.newPage();
            const chain = await blank.evaluate(timerChain, options.seconds * 1000);
            const format = (name, p) => `${name.padEnd(28)}${p.ticks.toString().padStart(7)}` +
                `${p.mean.toFixed(2).padStart(12)}${p.p99.toFixed(2).padStart(12)}`;
            const floor = periods(chain);
            console.log(`${''.padEnd(28)}${'ticks'.padStart(7)}${'mean (ms)'.padStart(12)}${'p99 (ms)'.padStart(12)}`);
            console.log(format('morvane.html', pagePeriods));
            console.log(format('bare 50 ms timer chain', floor));
            console.log(`mean tick period against the timer chain: ${(100 * (pagePeriods.mean / floor.mean - 1)).toFixed(2)} %`);
        } else {
            const facts = { 'console-messages': consoleMessages, 'page-errors': pageErrors };
            checkingPolicy = true;
            Object.assign(facts, await page.evaluate(pageFacts, !options['no-javascript']));
            // Reading scrolls the panel, and on a narrow screen the page too.
            if (!lacking) {
                Object.assign(facts, await readingFacts(page), await page.evaluate(tracePanelFacts));
            }
            for (const [name, value] of Object.entries(facts)) {
                process.stdout.write(`# fact ${name} ${Number(value.toFixed ? value.toFixed(4) : value)}\n`);
            }
            for (const [kind, name, said] of words) {
                process.stdout.write(`# ${kind} ${name}: ${said}\n`);
            }
            process.stdout.write(`# title: ${await page.title()}\n`);
        }
        await stop(0);
    } catch (error) {
        console.error(`drive_page: ${error.message}`);
        await stop(1);
    }
}

main().catch((error) => {
    console.error(`drive_page: ${error.message}`);
    process.exit(1);
});
