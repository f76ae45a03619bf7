// Finishes the page emcc wrote: puts the favicon in as a data: URL and
// fills in the Content-Security-Policy, which allows the page's own inline
// scripts and style by their SHA-256 hashes (so their text is all the page
// can run), WebAssembly, and data: images, and nothing else.
//
//   node seal_page.cjs PAGE FAVICON_PNG
//
// The page is rewritten in place; if anything is wrong it is removed, so
// that no build leaves a page without its policy behind.
'use strict';

const crypto = require('crypto');
const fs = require('fs');

// The inline elements of a kind, with whatever attributes emcc gives them:
// emscripten up to 3.1 writes its code as a bare <script>, later ones as
// <script id="mainScript">, and a later one may write it otherwise again.
function elementPattern(tag) {
    return new RegExp(`<${tag}(\\s[^>]*)?>([\\s\\S]*?)</${tag}>`, 'gi');
}

function inline(html, tag) {
    return [...html.matchAll(elementPattern(tag))].map((match) => ({ attributes: match[1] || '', text: match[2] }));
}

// A policy's hash is of the text as the browser's HTML parser gives it to
// the script, not of the file's bytes: the parser turns carriage returns
// into line feeds and every NUL into U+FFFD. emscripten 6 (not 3.1) embeds
// the WebAssembly as raw characters, NULs among them, and counts on that
// (its decoder maps U+FFFD back to 0).
function hashes(elements) {
    return elements.map((element) => {
        const parsed = element.text.replace(/\r\n?/g, '\n').replace(/\0/g, '\uFFFD');
        return `'sha256-${crypto.createHash('sha256').update(parsed, 'utf8').digest('base64')}'`;
    });
}

function seal(html, favicon) {
    const scripts = inline(html, 'script');
    const loaded = scripts.find((script) => /\ssrc\s*=/i.test(script.attributes));
    if (loaded) {
        throw new Error(`the page loads a script from elsewhere (<script${loaded.attributes}>), which its ` +
                        'policy would block: the page must hold all its code inline');
    }
    if (/\son[a-z]+\s*=/i.test(html.replace(elementPattern('script'), ''))) {
        throw new Error('the page has an inline event handler, which its policy would block');
    }
    html = html.replace('@FAVICON@', `data:image/png;base64,${favicon.toString('base64')}`);
    const policy = [
        "default-src 'none'",
        `script-src ${hashes(scripts).join(' ')} 'wasm-unsafe-eval'`,
        `style-src ${hashes(inline(html, 'style')).join(' ')}`,
        // emscripten reads the WebAssembly inside the page through fetch();
        // tools that look at a served page for search engines read its
        // site's robots.txt through the page too.
        "connect-src data: 'self'",
        'img-src data:',
        "base-uri 'none'",
        "form-action 'none'",
    ].join('; ');
    if (!html.includes('@CONTENT_SECURITY_POLICY@')) {
        throw new Error('the page has no place for its Content-Security-Policy');
    }
    return html.replace('@CONTENT_SECURITY_POLICY@', policy);
}

const [page, faviconPath] = process.argv.slice(2);
try {
    const sealed = seal(fs.readFileSync(page, 'utf8'), fs.readFileSync(faviconPath));
    fs.writeFileSync(`${page}.sealed`, sealed);
    fs.renameSync(`${page}.sealed`, page);
} catch (error) {
    fs.rmSync(page, { force: true });
    console.error(`seal_page: ${page}: ${error.message}`);
    process.exit(1);
}
