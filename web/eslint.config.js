// ESLint for the site's JavaScript and the scripts that test and measure it:
// the recommended rules, browser globals for the pages, worker globals for
// the engines' workers, Node.js for the tests and benchmarks.
import js from '@eslint/js';
import globals from 'globals';

export default [
  { ignores: ['node_modules/'] },
  js.configs.recommended,
  {
    files: ['site/**/*.js'],
    languageOptions: { sourceType: 'module', globals: globals.browser },
  },
  {
    // Classic workers: the engine modules and Comlink come by importScripts.
    files: ['site/**/*-worker.js'],
    languageOptions: {
      sourceType: 'script',
      globals: {
        ...globals.worker,
        Comlink: 'readonly',
        createQuillcastEngine: 'readonly',
        createStudioModule: 'readonly',
      },
    },
  },
  {
    files: ['tests/**/*.mjs', 'bench/**/*.mjs', '../bench/**/*.mjs', 'eslint.config.js'],
    languageOptions: { sourceType: 'module', globals: { ...globals.node, ...globals.browser } },
  },
];
